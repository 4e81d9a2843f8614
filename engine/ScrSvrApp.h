#pragma once
#include <d3d9.h>

#include <string>

class CScrSvrMachine;
class CScrSvrState;

// What a frame shows: the picture (counted up at every load and release) and
// the top-level state drawing it. Two frames with the same key look the same.
struct SceneKey {
  unsigned picture = 0;
  const CScrSvrState* state = nullptr;
  bool operator==(const SceneKey& other) const { return picture == other.picture && state == other.state; }
  bool operator!=(const SceneKey& other) const { return !(*this == other); }
};

// The show's application object: owns the main state machine with its four
// top-level states, forwards the worker's frame calls to it, and holds the one
// picture texture drawn as the full-window background.
class CScrSvrApp {
 public:
  CScrSvrApp();
  ~CScrSvrApp();

  int FrameMove(double time, double elapsed);
  void FrameRender(IDirect3DDevice9* device, double time, double elapsed);
  void DrawBackground();
  void CreateStates();
  bool LoadTexture(const std::wstring& path);
  void ReleaseTexture();
  bool HasTexture() const { return texture_ != nullptr; }
  CScrSvrMachine* GetMachine() { return machine_; }
  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  SceneKey GetSceneKey() const;

 private:
  CScrSvrMachine* machine_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  IDirect3DTexture9* texture_ = nullptr;
  unsigned pictureGeneration_ = 0;
};

// The application object of the running show, or null.
CScrSvrApp* GetScrSvrApp();
