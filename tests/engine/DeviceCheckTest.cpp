#include <gtest/gtest.h>

#include "ShowFixture.h"
#include "engine/DeviceCheck.h"
#include "engine/ScrSvrDevice.h"
#include "engine/Logic.h"
#include "engine/StartupError.h"
#include "platform/ScreenSaverLibrary.h"
#include "support/MediaFixtures.h"
#include "support/TestPaths.h"

TEST(DeviceCheck, CooperativeLevelTable) {
  struct Case {
    HRESULT level;
    DeviceCheck expected;
  } cases[] = {
      {D3D_OK, DeviceCheck::Draw},
      {D3DERR_DEVICELOST, DeviceCheck::Skip},
      {D3DERR_DEVICENOTRESET, DeviceCheck::Reset},
      {D3DERR_DRIVERINTERNALERROR, DeviceCheck::Draw},  // other errors do not stop the frame
      {E_FAIL, DeviceCheck::Draw},
  };
  for (const Case& c : cases) EXPECT_EQ(DeviceCheckFor(c.level), c.expected) << std::hex << c.level;
}

// A reset that finds the device lost again is still a lost device.
TEST(DeviceCheck, ResetOutcomeTable) {
  EXPECT_EQ(ResetOutcomeFor(D3D_OK), DeviceCheck::Draw);
  EXPECT_EQ(ResetOutcomeFor(D3DERR_DEVICELOST), DeviceCheck::Skip);
  EXPECT_EQ(ResetOutcomeFor(D3DERR_INVALIDCALL), DeviceCheck::Fail);
  EXPECT_EQ(ResetOutcomeFor(D3DERR_OUTOFVIDEOMEMORY), DeviceCheck::Fail);
}

TEST(TexturedQuad, CoversTheWindowWithHalfPixelShift) {
  QuadVertex v[4];
  BuildQuadVertices(0.0f, 0.0f, 800.0f, 600.0f, 0xFFFFFFFF, v);
  const float expected[4][4] = {{-0.5f, -0.5f, 0, 0}, {799.5f, -0.5f, 1, 0}, {-0.5f, 599.5f, 0, 1},
                                {799.5f, 599.5f, 1, 1}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(v[i].x, expected[i][0]);
    EXPECT_FLOAT_EQ(v[i].y, expected[i][1]);
    EXPECT_FLOAT_EQ(v[i].u, expected[i][2]);
    EXPECT_FLOAT_EQ(v[i].v, expected[i][3]);
    EXPECT_FLOAT_EQ(v[i].z, 0.0f);
    EXPECT_FLOAT_EQ(v[i].rhw, 1.0f);
    EXPECT_EQ(v[i].colour, 0xFFFFFFFFu);
  }
  EXPECT_EQ(sizeof(QuadVertex), 28u);
  EXPECT_EQ(kQuadVertexFormat, 0x144u);
}

using DeviceHolder = ShowFixture;

// A real device is made to need a reset: Direct3D refuses a Reset while a
// default-pool resource lives, and then reports D3DERR_DEVICENOTRESET. The
// holder's check resets it when it can, and a reset it cannot make ends the
// show with the DirectX text.
TEST_F(DeviceHolder, CheckDeviceResetsADeviceThatNeedsIt) {
  Build();
  CScrSvrDevice* holder = GetScrSvrDevice();
  ASSERT_NE(holder, nullptr);
  IDirect3DDevice9* device = holder->GetDevice();
  EXPECT_TRUE(holder->CheckDevice());

  IDirect3DTexture9* blocker = nullptr;
  ASSERT_EQ(device->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &blocker,
                                  nullptr),
            D3D_OK);
  D3DPRESENT_PARAMETERS present = {};
  present.SwapEffect = D3DSWAPEFFECT_DISCARD;
  present.Windowed = TRUE;
  ASSERT_EQ(device->Reset(&present), D3DERR_INVALIDCALL);
  ASSERT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);

  std::wstring thrown;
  try {
    holder->CheckDevice();
  } catch (const StartupError& error) {
    thrown = error.text;
  }
  EXPECT_EQ(thrown, L"D3DERR_INVALIDCALL");

  blocker->Release();
  EXPECT_TRUE(holder->CheckDevice());
  EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
  Step();  // and the frame draws again
}

// A frame that would look like the last one is not drawn again, however long
// the picture is held; a new picture, another state, the render gate opening
// again, a reset or the system painting the window draw at once. With the
// gate closed nothing is drawn at all.
TEST_F(DeviceHolder, OnlyFramesThatChangeAreDrawn) {
  Build();
  Step();
  Step();
  Step(1.1);
  Step();  // the saver, with nothing to show: a stable scene
  ASSERT_EQ(CurrentState(), L"SaverState");
  CScrSvrDevice* holder = GetScrSvrDevice();
  CScrSvrApp* app = GetScrSvrApp();
  std::wstring folder = MakeTempFolder(L"kel-frames");
  ASSERT_TRUE(WriteFileBytes(folder + L"p.png", MakePng(32, 32, 0xFF0000, 0x00FF00)));
  ForcePictureRender = 1;
  auto presentsOver = [&](int frames, double seconds) {
    unsigned before = holder->GetPresentCount();
    for (int i = 0; i < frames; ++i) Step(seconds);
    return holder->GetPresentCount() - before;
  };

  EXPECT_EQ(presentsOver(1, 0.066), 1u);  // the gate opened
  EXPECT_EQ(presentsOver(5, 0.066), 0u);
  EXPECT_EQ(presentsOver(30, 1.0), 0u);  // held for half a minute
  // The window was uncovered: the screen saver's window procedure paints it
  // (erasing it to black), and the next frame puts the picture back, once.
  InvalidateRect(window, nullptr, TRUE);
  ScreenSaverProc(window, WM_PAINT, 0, 0);
  EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));
  EXPECT_EQ(presentsOver(1, 0.066), 1u);
  EXPECT_EQ(presentsOver(3, 0.066), 0u);
  ASSERT_TRUE(app->LoadTexture(folder + L"p.png"));
  EXPECT_EQ(presentsOver(1, 0.066), 1u);
  EXPECT_EQ(presentsOver(3, 0.066), 0u);
  app->ReleaseTexture();
  EXPECT_EQ(presentsOver(1, 0.066), 1u);

  ForcePictureRender = 0;  // no pictures in the lists: the gate closes
  EXPECT_EQ(presentsOver(20, 0.066), 0u);
  ForcePictureRender = 1;
  EXPECT_EQ(presentsOver(2, 0.066), 1u);
  ForcePictureRender = 0;
  RemoveTree(folder);
}

// A frame with nothing to draw leaves the device alone: a device that needs
// a reset is reset only when a frame is drawn, and then drawn in that frame.
TEST_F(DeviceHolder, TheDeviceIsCheckedOnlyWhenAFrameIsDrawn) {
  Build();
  Step();
  Step();
  Step(1.1);
  Step();
  ASSERT_EQ(CurrentState(), L"SaverState");
  CScrSvrDevice* holder = GetScrSvrDevice();
  IDirect3DDevice9* device = holder->GetDevice();
  ForcePictureRender = 1;
  Step();
  Step();  // drawn once; nothing changes from here on

  // As in the reset test above: a live default-pool resource makes a Reset
  // fail and leaves the device needing one.
  IDirect3DTexture9* blocker = nullptr;
  ASSERT_EQ(device->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &blocker,
                                  nullptr),
            D3D_OK);
  D3DPRESENT_PARAMETERS present = {};
  present.SwapEffect = D3DSWAPEFFECT_DISCARD;
  present.Windowed = TRUE;
  ASSERT_EQ(device->Reset(&present), D3DERR_INVALIDCALL);
  blocker->Release();
  ASSERT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);

  unsigned before = holder->GetPresentCount();
  for (int i = 0; i < 10; ++i) Step();
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(holder->GetPresentCount(), before);

  ShowWindowPainted();
  Step();
  EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
  EXPECT_EQ(holder->GetPresentCount(), before + 1);
  ForcePictureRender = 0;
}
