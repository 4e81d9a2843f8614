#include "engine/ScrSvrDevice.h"

#include <dxerr9.h>

#include "engine/DeviceCheck.h"
#include "engine/Logic.h"
#include "engine/ScrSvrThread.h"
#include "engine/StartupError.h"
#include "platform/HighResTimer.h"

namespace {
CScrSvrDevice* g_device = nullptr;
Direct3DCreator g_createDirect3D = nullptr;

std::wstring DirectXErrorText(HRESULT hr) {
  const wchar_t* text = DXGetErrorString9W(hr);
  return text && *text ? text : L"Direct3D error";
}
}  // namespace

CScrSvrDevice* GetScrSvrDevice() { return g_device; }

void SetDirect3DCreatorForTests(Direct3DCreator creator) { g_createDirect3D = creator; }

// A constructor that throws leaves nothing behind: the destructor will not run.
CScrSvrDevice::CScrSvrDevice() {
  g_device = this;
  d3d_ = (g_createDirect3D ? g_createDirect3D : Direct3DCreate9)(D3D_SDK_VERSION);
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
                                  &present_, &device_);
  if (FAILED(hr)) {
    device_ = nullptr;
    d3d_->Release();
    d3d_ = nullptr;
    g_device = nullptr;
    throw StartupError{DirectXErrorText(hr)};
  }
}

CScrSvrDevice::~CScrSvrDevice() {
  if (device_) device_->Release();
  device_ = nullptr;
  if (d3d_) d3d_->Release();
  d3d_ = nullptr;
  g_device = nullptr;
}

bool CScrSvrDevice::RenderFrame() {
  if (!CheckDevice()) {
    redrawDue_ = true;
    return true;
  }
  // Closed while the playback library's video output owns the window; what
  // it leaves there is painted over as soon as the gate opens again.
  if (!ShouldRenderPicture()) {
    redrawDue_ = true;
    return true;
  }
  if (!FrameIsDue()) return true;
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  if (SUCCEEDED(device_->BeginScene())) {
    if (CScrSvrThread* thread = GetScrSvrThread()) thread->Render(device_);
    device_->EndScene();
  }
  redrawDue_ = FAILED(device_->Present(nullptr, nullptr, nullptr, nullptr));
  ++presents_;
  return true;
}

// Due when the scene changed, after anything that may have spoilt the
// window (a closed gate, a lost or reset device, a failed present), and once
// a second in any case, in case something covered the window meanwhile.
bool CScrSvrDevice::FrameIsDue() {
  constexpr double kRefreshSeconds = 1.0;
  CScrSvrApp* app = GetScrSvrApp();
  SceneKey scene = app ? app->GetSceneKey() : SceneKey();
  double now = CHighResTimer::GetAbsoluteTime();
  if (!redrawDue_ && scene == lastScene_ && now - lastDrawn_ < kRefreshSeconds && now >= lastDrawn_) return false;
  lastScene_ = scene;
  lastDrawn_ = now;
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
