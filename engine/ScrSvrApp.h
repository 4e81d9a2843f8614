#pragma once
#include <d3d9.h>

#include <string>

#include "engine/PictureDecoder.h"
#include "engine/PictureTexture.h"

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
// picture drawn as the background, as large as fits the window at its own
// proportions. It also holds at most one picture decoded ahead: the one the
// next picture change will ask for, so that the change costs only the drawing.
class CScrSvrApp {
 public:
  CScrSvrApp();
  ~CScrSvrApp();

  int FrameMove(double time, double elapsed);
  void FrameRender(IDirect3DDevice9* device, double time, double elapsed);
  void DrawBackground();
  void CreateStates();
  // The picture from the one decoded ahead when it is that file, else decoded
  // now; after a failure no picture is held.
  bool LoadTexture(const std::wstring& path);
  void ReleaseTexture();
  bool HasTexture() const { return static_cast<bool>(picture_); }
  IDirect3DTexture9* GetPictureTexture() const { return picture_.texture.Get(); }
  // Decodes a picture ahead of its turn, in place of any held ahead before.
  bool PreparePicture(const std::wstring& path);
  // The file decoded ahead, empty when none is.
  const std::wstring& PictureAheadPath() const { return aheadPath_; }
  CScrSvrMachine* GetMachine() { return machine_; }
  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  SceneKey GetSceneKey() const;

 private:
  bool MakePicture(const std::wstring& path, PictureTexture* picture);

  CScrSvrMachine* machine_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  CPictureDecoder decoder_;
  PictureTexture picture_;
  PictureTexture ahead_;
  std::wstring aheadPath_;
  // A picture went up: the next one is decoded ahead in a later frame.
  bool aheadWanted_ = false;
  unsigned pictureGeneration_ = 0;
};

// The application object of the running show, or null.
CScrSvrApp* GetScrSvrApp();

// Test seam: whether pictures are decoded ahead (they are unless a test says).
void SetPicturesAheadForTests(bool ahead);
