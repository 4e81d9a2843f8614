#include "engine/ScrSvrApp.h"

#include "engine/BootState.h"
#include "engine/HelpState.h"
#include "engine/IntroState.h"
#include "engine/PictureFit.h"
#include "engine/SaverState.h"
#include "engine/ScrSvrDevice.h"
#include "engine/ScrSvrMachine.h"
#include "engine/ScrSvrThread.h"
#include "media/ListPlayer.h"
#include "platform/Trace.h"

namespace {
bool g_picturesAhead = true;
}  // namespace

void SetPicturesAheadForTests(bool ahead) { g_picturesAhead = ahead; }

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

// The machine's shutdown lets the saver state put the system parameters back;
// the pictures go after it.
CScrSvrApp::~CScrSvrApp() {
  if (machine_) {
    machine_->Shutdown();
    delete machine_;
    machine_ = nullptr;
  }
  ReleaseTexture();
}

// The next picture is decoded in the frame after the last one went up (that
// one has been drawn by then), in one step, well before its turn; never in the
// frame of a change, whose first picture would wait for it.
int CScrSvrApp::FrameMove(double time, double elapsed) {
  unsigned shown = pictureGeneration_;
  machine_->FrameMove(time, elapsed);
  if (aheadWanted_ && pictureGeneration_ == shown) {
    aheadWanted_ = false;
    std::wstring next;
    if (g_picturesAhead && NextPicturePath(&next)) PreparePicture(next);
  }
  return 0;
}

void CScrSvrApp::FrameRender(IDirect3DDevice9*, double time, double elapsed) { machine_->FrameRender(time, elapsed); }

// As large as fits at the picture's own proportions, centred; the frame's
// clear leaves the rest black. A picture smaller than that is enlarged by the
// device, smoothly; the edges are clamped so that no texel of the opposite
// edge bleeds in.
void CScrSvrApp::DrawBackground() {
  CScrSvrDevice* device = GetScrSvrDevice();
  if (!picture_ || !device || !device->GetDevice()) return;
  PictureRect rect = FitPicture(picture_.width, picture_.height, width_, height_);
  IDirect3DDevice9* d3d = device->GetDevice();
  d3d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  d3d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  d3d->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  d3d->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  device->DrawTexturedQuad(static_cast<float>(rect.x), static_cast<float>(rect.y), static_cast<float>(rect.width),
                           static_cast<float>(rect.height), picture_.texture.Get(), 0, 0, picture_.width,
                           picture_.height, 0xFFFFFFFF);
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

// At the window's size: through the Imaging Component, turned upright, or
// else through D3DX, which reads a few formats the component does not.
bool CScrSvrApp::MakePicture(const std::wstring& path, PictureTexture* picture) {
  CScrSvrDevice* device = GetScrSvrDevice();
  IDirect3DDevice9* d3d = device ? device->GetDevice() : nullptr;
  if (!d3d) return false;
  DecodedPicture decoded;
  if (decoder_.Decode(path, width_, height_, &decoded)) return CreatePictureTexture(d3d, decoded, picture);
  return LoadPictureTextureWithD3DX(d3d, path, width_, height_, picture);
}

// A picture still held is let go first, so a load never leaks one; after a
// failed load no picture is held. A picture decoded ahead for another file
// stays for its own turn. Failed or not, the next one is decoded ahead.
bool CScrSvrApp::LoadTexture(const std::wstring& path) {
  ReleaseTexture();
  aheadWanted_ = true;
  if (!ahead_ || aheadPath_ != path) {
    if (!MakePicture(path, &picture_)) {
      Trace(L"picture failed: %s", path.c_str());
      return false;
    }
    Trace(L"picture decoded: %s", path.c_str());
  } else {
    picture_ = ahead_;
    ahead_ = PictureTexture();
    aheadPath_.clear();
  }
  ++pictureGeneration_;
  Trace(L"picture: %s", path.c_str());
  return true;
}

void CScrSvrApp::ReleaseTexture() {
  picture_ = PictureTexture();
  ++pictureGeneration_;
}

// The one held ahead goes first, so that no more than one waits; a picture
// that fails here is tried again, and handled, at its turn.
bool CScrSvrApp::PreparePicture(const std::wstring& path) {
  if (ahead_ && aheadPath_ == path) return true;
  ahead_ = PictureTexture();
  aheadPath_.clear();
  if (!MakePicture(path, &ahead_)) {
    Trace(L"picture ahead failed: %s", path.c_str());
    return false;
  }
  aheadPath_ = path;
  Trace(L"picture decoded ahead: %s", path.c_str());
  return true;
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
