#include <gtest/gtest.h>

#include "ShowFixture.h"
#include "engine/Stage.h"

namespace {

// The labels' colour.
bool IsYellow(DWORD p) { return ((p >> 16) & 0xFF) > 160 && ((p >> 8) & 0xFF) > 160 && (p & 0xFF) < 90; }

int YellowPixels(IDirect3DDevice9* device, RECT area) { return CountBackBufferPixels(device, area, IsYellow); }

}  // namespace

using StageGraphics = ShowFixture;

TEST_F(StageGraphics, ALabelDrawsItsLinesInYellowWhereItIsPlaced) {
  Build();
  IDirect3DDevice9* device = GetScrSvrDevice()->GetDevice();
  SS_FontGraphic font;
  ASSERT_EQ(font.Create(L"Arial", 1, 2, 20.0f, 0), S_OK);
  ASSERT_NE(font.GetFont(), nullptr);
  EXPECT_EQ(font.GetName(), L"Arial");

  SS_LabelGraphic label(font.GetFont());
  ASSERT_EQ(label.Create(L"clock", 0, 0, 20.0f, 0), S_OK);
  EXPECT_TRUE(label.HasSprite());

  SS_Stage stage;
  stage.SetName(L"overlay");
  int position = stage.AddGraphicDesc(SS_Stage::KindLabel, 0);
  EXPECT_EQ(stage.AddGraphicDesc(SS_Stage::KindFont, 3), 1);
  EXPECT_EQ(stage.AddGraphicDesc(7, 4), 2);  // unknown kinds get no descriptor
  EXPECT_EQ(stage.GetDesc(2), nullptr);
  stage.Labels().push_back(&label);
  auto* desc = static_cast<SS_LabelGraphicDesc*>(stage.GetDesc(position));
  ASSERT_EQ(desc->Lines().size(), 1u);
  desc->SetLine(0, L"MMMMMMMM");
  desc->AddLines(1);
  desc->SetLine(1, L"WWWWWWWW");
  stage.FrameMove(0.0);
  EXPECT_EQ(label.GetDesc(), desc);
  label.Place(40, 30, 0, 20, 20, 1, true);
  EXPECT_FLOAT_EQ(desc->scale.x, 20.0f);  // the label's own base size is 1
  EXPECT_TRUE(desc->visible);

  RECT where = {40, 30, 240, 80};
  RECT elsewhere = {0, 150, 300, 230};
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  ASSERT_TRUE(SUCCEEDED(device->BeginScene()));
  stage.Render(0.0, 0.0f);
  device->EndScene();
  EXPECT_GT(YellowPixels(device, where), 20);
  EXPECT_EQ(YellowPixels(device, elsewhere), 0);

  // Hidden, nothing is drawn.
  label.Place(40, 30, 0, -1, -1, -1, false);
  EXPECT_FLOAT_EQ(desc->scale.x, -1.0f);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  device->BeginScene();
  stage.Render(0.0, 0.0f);
  device->EndScene();
  EXPECT_EQ(YellowPixels(device, where), 0);

  EXPECT_EQ(label.OnLostDevice(), S_OK);
  EXPECT_FALSE(label.HasSprite());
  EXPECT_EQ(label.OnResetDevice(), S_OK);
  EXPECT_TRUE(label.HasSprite());
  stage.RemoveGraphicDesc(SS_Stage::KindLabel, 0);
  EXPECT_EQ(stage.EntryCount(), 2);
  label.SetDesc(nullptr);
  font.OnDestroyDevice();
  EXPECT_EQ(font.GetFont(), nullptr);
}
