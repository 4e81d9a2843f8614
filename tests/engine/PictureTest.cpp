// Pictures on the screen: as large as fits the window at their own
// proportions, centred, the rest black; JPEGs turned as their orientation tag
// says. Read back from the device's back buffer after one frame.
#include <d3dx9.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "ShowFixture.h"
#include "support/MediaFixtures.h"
#include "support/TestPaths.h"

namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

bool Near(DWORD pixel, uint32_t rgb) {
  for (int shift = 0; shift <= 16; shift += 8) {
    int have = (pixel >> shift) & 0xFF, want = (rgb >> shift) & 0xFF;
    if (std::abs(have - want) > 40) return false;
  }
  return true;
}

bool IsBlack(DWORD pixel) { return (pixel & 0xFFFFFF) == 0; }
bool IsLit(DWORD pixel) { return (pixel & 0xFFFFFF) != 0; }

class Pictures : public ShowFixture {
 protected:
  void SetUp() override {
    ShowFixture::SetUp();
    folder = MakeTempFolder(L"kel-pictures");
    Build();
    app = GetScrSvrApp();
    device = GetScrSvrDevice()->GetDevice();
  }
  void TearDown() override {
    ShowFixture::TearDown();
    RemoveTree(folder);
  }

  // One frame of the current top-level state ("BootState" draws the picture).
  void Frame() {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    if (SUCCEEDED(device->BeginScene())) {
      GetScrSvrThread()->Render(device);
      device->EndScene();
    }
  }
  int Count(RECT area, const std::function<bool(DWORD)>& test) { return CountBackBufferPixels(device, area, test); }

  std::wstring folder;
  CScrSvrApp* app = nullptr;
  IDirect3DDevice9* device = nullptr;
};

const RECT kWindow = {0, 0, 320, 240};

int Area(const RECT& r) { return (r.right - r.left) * (r.bottom - r.top); }

}  // namespace

// Lit exactly over the fitted rectangle: every pixel inside it, none outside,
// so its edges are where they should be. A picture larger than that is held
// at that size, in one level; a smaller one at its own.
TEST_F(Pictures, FitTheWindowAtTheirOwnProportions) {
  struct Row {
    const char* what;
    int width, height;
    bool jpeg;
    RECT lit;
  };
  const Row rows[] = {
      {"same proportions", 640, 480, false, {0, 0, 320, 240}},
      {"wider", 640, 240, false, {0, 60, 320, 180}},
      {"taller", 100, 400, false, {130, 0, 190, 240}},
      {"3:2 photo", 600, 400, false, {0, 13, 320, 226}},
      {"small, enlarged", 16, 16, false, {40, 0, 280, 240}},
      {"a thin strip", 2000, 10, false, {0, 119, 320, 121}},
      {"large portrait photo", 1600, 2400, true, {80, 0, 240, 240}},
  };
  Frame();
  EXPECT_EQ(Count(kWindow, IsBlack), Area(kWindow)) << "no picture: black";
  for (const Row& row : rows) {
    std::wstring path = folder + L"picture" + (row.jpeg ? L".jpg" : L".png");
    std::vector<uint32_t> red(static_cast<size_t>(row.width) * row.height, kRed);
    ASSERT_TRUE(WriteFileBytes(
        path, row.jpeg ? MakeJpeg(row.width, row.height, red) : MakePng(row.width, row.height, kRed, kRed)));
    ASSERT_TRUE(app->LoadTexture(path)) << row.what;
    Frame();
    EXPECT_EQ(Count(row.lit, [](DWORD p) { return Near(p, kRed); }), Area(row.lit)) << row.what;
    EXPECT_EQ(Count(kWindow, IsLit), Area(row.lit)) << row.what << ": lit outside its place";
    IDirect3DTexture9* texture = app->GetPictureTexture();
    ASSERT_NE(texture, nullptr);
    D3DSURFACE_DESC held = {};
    texture->GetLevelDesc(0, &held);
    int litWidth = row.lit.right - row.lit.left, litHeight = row.lit.bottom - row.lit.top;
    EXPECT_EQ(static_cast<int>(held.Width), std::min(row.width, litWidth)) << row.what;
    EXPECT_EQ(static_cast<int>(held.Height), std::min(row.height, litHeight)) << row.what;
    EXPECT_EQ(texture->GetLevelCount(), 1u) << row.what;
  }
}

// A picture enlarged by the device keeps its own colours up to its edges:
// nothing of the opposite edge bleeds into them.
TEST_F(Pictures, EnlargedPicturesKeepTheirEdges) {
  const uint32_t quarters[4] = {kRed, kGreen, kBlue, kWhite};
  std::wstring path = folder + L"small.png";
  ASSERT_TRUE(WriteFileBytes(path, MakePixelsPng(16, 16, QuarterPixels(16, 16, quarters))));
  ASSERT_TRUE(app->LoadTexture(path));
  Frame();
  const POINT corners[4] = {{40, 0}, {279, 0}, {40, 239}, {279, 239}};
  for (int q = 0; q < 4; ++q) {
    RECT spot = {corners[q].x, corners[q].y, corners[q].x + 1, corners[q].y + 1};
    uint32_t want = quarters[q];
    EXPECT_EQ(Count(spot, [want](DWORD p) { return Near(p, want); }), 1) << "corner " << q;
  }
}

// Each of the eight orientations, stored as a camera stores it, stands upright
// on the screen: red top left, green top right, blue bottom left, white
// bottom right. The stored corners are given as a camera leaves them.
TEST_F(Pictures, JpegsStandAsTheirOrientationSays) {
  struct Row {
    int orientation;  // 0: no Exif segment
    bool bigEndian;
    int storedWidth, storedHeight;
    uint32_t stored[4];  // top-left, top-right, bottom-left, bottom-right as stored
    RECT lit;
  };
  const RECT portrait = {85, 0, 235, 240};  // 320x512 upright, made smaller
  const RECT small = {88, 0, 232, 240};     // 48x80 upright, made larger
  const Row rows[] = {
      {0, false, 320, 512, {kRed, kGreen, kBlue, kWhite}, portrait},
      {1, false, 320, 512, {kRed, kGreen, kBlue, kWhite}, portrait},
      {2, false, 320, 512, {kGreen, kRed, kWhite, kBlue}, portrait},
      {3, false, 320, 512, {kWhite, kBlue, kGreen, kRed}, portrait},
      {4, false, 320, 512, {kBlue, kWhite, kRed, kGreen}, portrait},
      {5, false, 512, 320, {kRed, kBlue, kGreen, kWhite}, portrait},
      {6, false, 512, 320, {kGreen, kWhite, kRed, kBlue}, portrait},
      {7, false, 512, 320, {kWhite, kGreen, kBlue, kRed}, portrait},
      {8, false, 512, 320, {kBlue, kRed, kWhite, kGreen}, portrait},
      {6, true, 512, 320, {kGreen, kWhite, kRed, kBlue}, portrait},
      {8, true, 512, 320, {kBlue, kRed, kWhite, kGreen}, portrait},
      {9, false, 320, 512, {kRed, kGreen, kBlue, kWhite}, portrait},  // no such orientation: as stored
      {6, false, 80, 48, {kGreen, kWhite, kRed, kBlue}, small},
  };
  for (const Row& row : rows) {
    std::string what = "orientation " + std::to_string(row.orientation) + (row.bigEndian ? " (Motorola)" : "") +
                       " stored " + std::to_string(row.storedWidth) + "x" + std::to_string(row.storedHeight);
    std::wstring path = folder + L"photo.jpg";
    ASSERT_TRUE(WriteFileBytes(
        path, MakeJpeg(row.storedWidth, row.storedHeight, QuarterPixels(row.storedWidth, row.storedHeight, row.stored),
                       row.orientation, row.bigEndian)));
    ASSERT_TRUE(app->LoadTexture(path)) << what;
    Frame();
    EXPECT_EQ(Count(kWindow, IsLit), Area(row.lit)) << what;
    const RECT& r = row.lit;
    int cx[2] = {r.left + (r.right - r.left) / 4, r.left + 3 * (r.right - r.left) / 4};
    int cy[2] = {r.top + (r.bottom - r.top) / 4, r.top + 3 * (r.bottom - r.top) / 4};
    const uint32_t upright[4] = {kRed, kGreen, kBlue, kWhite};
    for (int q = 0; q < 4; ++q) {
      RECT spot = {cx[q % 2] - 4, cy[q / 2] - 4, cx[q % 2] + 5, cy[q / 2] + 5};
      uint32_t want = upright[q];
      EXPECT_EQ(Count(spot, [want](DWORD p) { return Near(p, want); }), Area(spot)) << what << ", quarter " << q;
    }
  }
}

// A file that only D3DX reads (a bare DIB, which the Imaging Component does
// not know) keeps its proportions too.
TEST_F(Pictures, FilesOnlyD3dxReadsFitAsWell) {
  IDirect3DSurface9* surface = nullptr;
  ASSERT_HRESULT_SUCCEEDED(
      device->CreateOffscreenPlainSurface(640, 240, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &surface, nullptr));
  D3DLOCKED_RECT locked;
  ASSERT_HRESULT_SUCCEEDED(surface->LockRect(&locked, nullptr, 0));
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 640; ++x) static_cast<DWORD*>(locked.pBits)[y * locked.Pitch / 4 + x] = kRed;
  surface->UnlockRect();
  std::wstring path = folder + L"picture.dib";
  HRESULT saved = D3DXSaveSurfaceToFileW(path.c_str(), D3DXIFF_DIB, surface, nullptr, nullptr);
  surface->Release();
  ASSERT_HRESULT_SUCCEEDED(saved);
  ASSERT_TRUE(app->LoadTexture(path));
  EXPECT_TRUE(trace.Contains(L"picture decoded: " + path));
  Frame();
  const RECT lit = {0, 60, 320, 180};
  EXPECT_EQ(Count(lit, [](DWORD p) { return Near(p, kRed); }), Area(lit));
  EXPECT_EQ(Count(kWindow, IsLit), Area(lit));
}
