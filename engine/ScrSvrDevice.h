#pragma once
#include <d3d9.h>

#include "engine/ScrSvrApp.h"
#include "platform/ComPtr.h"

// Owns the Direct3D object and the show's one device, created windowed on the
// worker's window, and draws each frame.
class CScrSvrDevice {
 public:
  // Throws StartupError when Direct3D or the device is refused.
  CScrSvrDevice();
  ~CScrSvrDevice();

  bool RenderFrame();
  bool CheckDevice();
  void DrawTexturedQuad(float x, float y, float width, float height, IDirect3DTexture9* texture, int sourceLeft,
                        int sourceTop, int sourceWidth, int sourceHeight, D3DCOLOR colour);
  IDirect3DDevice9* GetDevice() { return device_.Get(); }
  // Frames presented so far.
  unsigned GetPresentCount() const { return presents_; }

 private:
  // The device goes before the object that made it.
  ComPtr<IDirect3D9> d3d_;
  D3DPRESENT_PARAMETERS present_ = {};
  ComPtr<IDirect3DDevice9> device_;
  // Set when the window may no longer show the last frame presented: the
  // gate was closed, the device lost or reset, a present failed, or the
  // system painted the window.
  bool redrawDue_ = true;
  SceneKey lastScene_;
  unsigned presents_ = 0;
};

CScrSvrDevice* GetScrSvrDevice();

// Window thread: the system painted the show's window (it was uncovered, or
// its background erased), so what the device presented there may be gone;
// the next frame that may draw draws again. Without it a held picture is
// presented once and never again.
void ShowWindowPainted();

// Test seam: how the Direct3D object is made (Direct3DCreate9's shape), so a
// test can take Direct3D away; null restores Direct3DCreate9.
using Direct3DCreator = IDirect3D9*(WINAPI*)(UINT sdkVersion);
void SetDirect3DCreatorForTests(Direct3DCreator creator);

// Vertex of the pre-transformed textured quad.
struct QuadVertex {
  float x, y, z, rhw;
  D3DCOLOR colour;
  float u, v;
};
constexpr DWORD kQuadVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// The four corners of a quad covering (x, y, width, height), shifted by half a
// pixel so that texels land on pixels, in triangle-strip order.
void BuildQuadVertices(float x, float y, float width, float height, D3DCOLOR colour, QuadVertex vertices[4]);
