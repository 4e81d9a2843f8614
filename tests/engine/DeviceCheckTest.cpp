#include <gtest/gtest.h>

#include "engine/DeviceCheck.h"
#include "engine/ScrSvrDevice.h"

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
