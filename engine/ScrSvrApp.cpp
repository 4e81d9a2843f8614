#include "engine/ScrSvrApp.h"

#include <d3dx9.h>

#include "engine/BootState.h"
#include "engine/HelpState.h"
#include "engine/IntroState.h"
#include "engine/SaverState.h"
#include "engine/ScrSvrDevice.h"
#include "engine/ScrSvrMachine.h"
#include "engine/ScrSvrThread.h"
#include "platform/Trace.h"

CScrSvrApp::CScrSvrApp() {
  CScrSvrThread* thread = GetScrSvrThread();
  RECT rc = {};
  if (thread) GetWindowRect(thread->GetWindow(), &rc);
  width_ = rc.right - rc.left;
  height_ = rc.bottom - rc.top;
  machine_ = new CScrSvrMachine();
  machine_->SetName(L"AppHarrowbell1_MainMachine");
  CreateStates();
}

// The machine's shutdown lets the saver state put the system parameters back.
CScrSvrApp::~CScrSvrApp() {
  if (machine_) {
    machine_->Shutdown();
    delete machine_;
    machine_ = nullptr;
  }
  ReleaseTexture();
}

int CScrSvrApp::FrameMove(double time, double elapsed) {
  machine_->FrameMove(time, elapsed);
  return 0;
}

void CScrSvrApp::FrameRender(IDirect3DDevice9*, double time, double elapsed) { machine_->FrameRender(time, elapsed); }

void CScrSvrApp::DrawBackground() {
  CScrSvrDevice* device = GetScrSvrDevice();
  if (!texture_ || !device) return;
  device->DrawTexturedQuad(0.0f, 0.0f, static_cast<float>(width_), static_cast<float>(height_), texture_, 0, 0,
                           width_, height_, 0xFFFFFFFF);
}

// "BootState" becomes current, with its Init and Enter run, before the other
// three states exist.
void CScrSvrApp::CreateStates() {
  machine_->AddState(L"BootState", new CBootState());
  machine_->GetState(L"BootState")->CreateChildMachine(machine_, L"BOOT_CHILD");
  machine_->SetState(L"BootState");

  machine_->AddState(L"IntroState", new CIntroState());
  machine_->GetState(L"IntroState")->CreateChildMachine(machine_, L"INTRO_CHILD");

  machine_->AddState(L"SaverState", new CSaverState());
  machine_->GetState(L"SaverState")->CreateChildMachine(machine_, L"SAVER_CHILD");

  machine_->AddState(L"HelpState", new CHelpState());
  machine_->GetState(L"HelpState")->CreateChildMachine(machine_, L"HELP_CHILD");
}

// A texture still held is let go first, so a load never leaks one; after a
// failed load no texture is held.
bool CScrSvrApp::LoadTexture(const std::wstring& path) {
  ReleaseTexture();
  CScrSvrDevice* device = GetScrSvrDevice();
  if (!device || !device->GetDevice()) return false;
  IDirect3DTexture9* texture = nullptr;
  HRESULT hr = D3DXCreateTextureFromFileW(device->GetDevice(), path.c_str(), &texture);
  if (FAILED(hr)) {
    Trace(L"picture failed: %s", path.c_str());
    return false;
  }
  texture_ = texture;
  ++pictureGeneration_;
  Trace(L"picture: %s", path.c_str());
  return true;
}

void CScrSvrApp::ReleaseTexture() {
  if (texture_) texture_->Release();
  texture_ = nullptr;
  ++pictureGeneration_;
}

SceneKey CScrSvrApp::GetSceneKey() const {
  SceneKey key;
  key.picture = pictureGeneration_;
  key.state = machine_ ? machine_->GetCurrentState() : nullptr;
  return key;
}

CScrSvrApp* GetScrSvrApp() {
  CScrSvrThread* thread = GetScrSvrThread();
  return thread ? thread->GetApp() : nullptr;
}
