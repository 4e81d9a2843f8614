#include "engine/ScrSvrDevice.h"

#include <dxerr9.h>

#include "engine/DeviceCheck.h"
#include "engine/Logic.h"
#include "engine/ScrSvrThread.h"
#include "engine/StartupError.h"

namespace {
CScrSvrDevice* g_device = nullptr;
Direct3DCreator g_createDirect3D = nullptr;
volatile LONG g_windowPainted = 0;

bool TakeWindowPainted() { return g_windowPainted != 0 && InterlockedExchange(&g_windowPainted, 0) != 0; }

std::wstring DirectXErrorText(HRESULT hr) {
  const wchar_t* text = DXGetErrorString9W(hr);
  return text && *text ? text : L"Direct3D error";
}
}  // namespace

CScrSvrDevice* GetScrSvrDevice() { return g_device; }

void ShowWindowPainted() { InterlockedExchange(&g_windowPainted, 1); }

void SetDirect3DCreatorForTests(Direct3DCreator creator) { g_createDirect3D = creator; }

// A constructor that throws leaves nothing behind: its holders let go of
// what it made.
CScrSvrDevice::CScrSvrDevice() {
  g_device = this;
  d3d_ = ComPtr<IDirect3D9>::Adopt((g_createDirect3D ? g_createDirect3D : Direct3DCreate9)(D3D_SDK_VERSION));
  if (!d3d_) {
    g_device = nullptr;
    throw StartupError{L"Direct3DCreate9(...) failed"};
  }

  D3DDISPLAYMODE mode = {};
  d3d_->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);

  ZeroMemory(&present_, sizeof(present_));
  present_.BackBufferFormat = mode.Format;
  present_.SwapEffect = D3DSWAPEFFECT_DISCARD;
  present_.Windowed = TRUE;

  CScrSvrThread* thread = GetScrSvrThread();
  HWND window = thread ? thread->GetWindow() : nullptr;
  HRESULT hr = d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                  &present_, device_.Receive());
  if (FAILED(hr)) {
    g_device = nullptr;
    throw StartupError{DirectXErrorText(hr)};
  }
}

CScrSvrDevice::~CScrSvrDevice() { g_device = nullptr; }

// A frame that would look like the one presented last is not drawn again:
// an unchanged picture costs nothing while it is held. The device is checked
// only when there is something to draw; a lost device keeps the frame due.
bool CScrSvrDevice::RenderFrame() {
  // Closed while the playback library's video output owns the window; what
  // it leaves there is painted over as soon as the gate opens again.
  if (!ShouldRenderPicture()) {
    redrawDue_ = true;
    return true;
  }
  CScrSvrApp* app = GetScrSvrApp();
  SceneKey scene = app ? app->GetSceneKey() : SceneKey();
  if (TakeWindowPainted()) redrawDue_ = true;
  if (!redrawDue_ && scene == lastScene_) return true;
  if (!CheckDevice()) {
    redrawDue_ = true;
    return true;
  }
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  if (SUCCEEDED(device_->BeginScene())) {
    if (CScrSvrThread* thread = GetScrSvrThread()) thread->Render(device_.Get());
    device_->EndScene();
  }
  lastScene_ = scene;
  redrawDue_ = FAILED(device_->Present(nullptr, nullptr, nullptr, nullptr));
  ++presents_;
  return true;
}

bool CScrSvrDevice::CheckDevice() {
  if (!device_) return false;
  HRESULT level = device_->TestCooperativeLevel();
  if (DeviceCheckFor(level) == DeviceCheck::Skip) return false;
  if (DeviceCheckFor(level) == DeviceCheck::Reset) {
    redrawDue_ = true;
    HRESULT hr = device_->Reset(&present_);
    switch (ResetOutcomeFor(hr)) {
      case DeviceCheck::Skip:
        return false;  // lost again while resetting: try next frame
      case DeviceCheck::Fail:
        throw StartupError{DirectXErrorText(hr)};
      default:
        break;
    }
  }
  return true;
}

void BuildQuadVertices(float x, float y, float width, float height, D3DCOLOR colour, QuadVertex vertices[4]) {
  float left = x - 0.5f;
  float top = y - 0.5f;
  float right = x + width - 0.5f;
  float bottom = y + height - 0.5f;
  vertices[0] = {left, top, 0.0f, 1.0f, colour, 0.0f, 0.0f};
  vertices[1] = {right, top, 0.0f, 1.0f, colour, 1.0f, 0.0f};
  vertices[2] = {left, bottom, 0.0f, 1.0f, colour, 0.0f, 1.0f};
  vertices[3] = {right, bottom, 0.0f, 1.0f, colour, 1.0f, 1.0f};
}

// The source rectangle is not used: the whole texture is always mapped.
void CScrSvrDevice::DrawTexturedQuad(float x, float y, float width, float height, IDirect3DTexture9* texture, int,
                                     int, int, int, D3DCOLOR colour) {
  if (!device_) return;
  QuadVertex vertices[4];
  BuildQuadVertices(x, y, width, height, colour, vertices);
  device_->SetTexture(0, texture);
  device_->SetVertexShader(nullptr);
  device_->SetFVF(kQuadVertexFormat);
  device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, vertices, sizeof(QuadVertex));
}
