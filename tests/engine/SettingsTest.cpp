#include <gtest/gtest.h>

#include <string>

#include "engine/Settings.h"
#include "support/RegistrySandbox.h"

TEST(Settings, AnEmptyKeyYieldsTheBuiltInDefaults) {
  RegistrySandbox registry;
  LoadSettings();
  EXPECT_EQ(KEL_TARGETDIR, L".");
  EXPECT_EQ(AdvertiserCatalog, L".");
  for (bool value : {ShowClock, RenameDrops, HighPriority, PairImages, ShowName, MuteAudio, BlankVideo, ShowDate,
                     RandomMedia, ResetCache})
    EXPECT_FALSE(value);
  EXPECT_EQ(SliderVal_PictureTimeout, 0);
  EXPECT_EQ(CurrentMediaIndex, 0);
  EXPECT_EQ(CurrentPictureIndex, 0);
  EXPECT_EQ(CurrentAdvertisingIndex, 0);
  EXPECT_EQ(CurrentVisualIndex, 1);
  EXPECT_EQ(CurrentPowerIndex, 0);
}

namespace {

struct NumberCase {
  const wchar_t* name;
  DWORD stored;
  int* variable;
  int expected;
};

}  // namespace

// Indexes turn any negative number into -1; the picture interval is taken
// as stored.
TEST(Settings, NumbersFollowTheirReadingRules) {
  RegistrySandbox registry;
  const NumberCase cases[] = {
      {L"CurrentMediaIndex", 0x80000000u, &CurrentMediaIndex, -1},
      {L"CurrentPictureIndex", static_cast<DWORD>(-7), &CurrentPictureIndex, -1},
      {L"CurrentAdvertisingIndex", 12, &CurrentAdvertisingIndex, 12},
      {L"CurrentVisualIndex", static_cast<DWORD>(-2), &CurrentVisualIndex, -1},
      {L"CurrentPowerIndex", 2, &CurrentPowerIndex, 2},
      {L"SliderVal_PictureTimeout", static_cast<DWORD>(-5), &SliderVal_PictureTimeout, -5},
  };
  for (const NumberCase& c : cases) registry.SetDword(c.name, c.stored);
  LoadSettings();
  for (const NumberCase& c : cases) EXPECT_EQ(*c.variable, c.expected) << c.name;
}

TEST(Settings, BooleansAreTrueForAnyNonZeroNumber) {
  RegistrySandbox registry;
  registry.SetDword(L"RandomMedia", 2);
  registry.SetDword(L"PairImages", 0xFFFFFFFF);
  registry.SetDword(L"ShowName", 1);
  registry.SetDword(L"MuteAudio", 0);
  MuteAudio = true;
  LoadSettings();
  EXPECT_TRUE(RandomMedia);
  EXPECT_TRUE(PairImages);
  EXPECT_TRUE(ShowName);
  EXPECT_FALSE(MuteAudio);
}

// A value of the wrong type or size keeps the current setting; nothing is
// read past the value's own bytes.
TEST(Settings, BadValuesKeepTheCurrentSetting) {
  RegistrySandbox registry;
  const unsigned char eightBytes[8] = {1, 0, 0, 0, 9, 9, 9, 9};
  registry.SetRaw(L"CurrentMediaIndex", REG_BINARY, eightBytes, sizeof(eightBytes));
  registry.SetRaw(L"CurrentPictureIndex", REG_QWORD, eightBytes, sizeof(eightBytes));
  registry.SetText(L"RandomMedia", L"1");  // a text where a number belongs
  const DWORD one = 1;
  registry.SetRaw(L"ShowName", REG_BINARY, &one, sizeof(one));
  registry.SetDword(L"KEL_TARGETDIR", 5);  // a number where a text belongs
  CurrentMediaIndex = 3;
  CurrentPictureIndex = 4;
  LoadSettings();
  EXPECT_EQ(CurrentMediaIndex, 3);
  EXPECT_EQ(CurrentPictureIndex, 4);
  EXPECT_FALSE(RandomMedia);
  EXPECT_FALSE(ShowName);
  EXPECT_EQ(KEL_TARGETDIR, L".");
}

TEST(Settings, TextsAreReadWholeOrNotAtAll) {
  RegistrySandbox registry;
  // 519 characters and a terminator fill the 1040 bytes exactly.
  std::wstring longest(519, L'x');
  registry.SetText(L"KEL_TARGETDIR", longest);
  registry.SetText(L"AdvertiserCatalog", std::wstring(520, L'y'));  // 1042 bytes
  LoadSettings();
  EXPECT_EQ(KEL_TARGETDIR, longest);
  EXPECT_EQ(AdvertiserCatalog, L".");

  // Without a terminator the text stops at the value's end.
  const wchar_t unterminated[] = {L'C', L':', L'\\', L'k'};
  registry.SetRaw(L"KEL_TARGETDIR", REG_SZ, unterminated, sizeof(unterminated));
  LoadSettings();
  EXPECT_EQ(KEL_TARGETDIR, L"C:\\k");

  // An embedded terminator ends the text.
  const wchar_t embedded[] = {L'a', L'b', 0, L'c', 0};
  registry.SetRaw(L"AdvertiserCatalog", REG_SZ, embedded, sizeof(embedded));
  LoadSettings();
  EXPECT_EQ(AdvertiserCatalog, L"ab");

  std::wstring unicode = L"C:\\M\u00e9dia\\\u6f22\u5b57\\";
  registry.SetText(L"KEL_TARGETDIR", unicode);
  LoadSettings();
  EXPECT_EQ(KEL_TARGETDIR, unicode);
}

TEST(Settings, SecondLoadOverwritesOnlyWhatTheKeyHolds) {
  RegistrySandbox registry;
  registry.SetDword(L"CurrentMediaIndex", 5);
  LoadSettings();
  CurrentPictureIndex = 9;  // moved by a running show
  LoadSettings();
  EXPECT_EQ(CurrentMediaIndex, 5);
  EXPECT_EQ(CurrentPictureIndex, 9);
}

TEST(Settings, WriteCurrentIndexesStoresTheFiveIndexes) {
  RegistrySandbox registry;
  CurrentMediaIndex = 4;
  CurrentVisualIndex = 7;
  CurrentPictureIndex = -1;
  CurrentAdvertisingIndex = 2;
  CurrentPowerIndex = 1;
  WriteCurrentIndexes();
  DWORD value = 0;
  ASSERT_TRUE(registry.GetDword(L"CurrentMediaIndex", &value));
  EXPECT_EQ(value, 4u);
  ASSERT_TRUE(registry.GetDword(L"CurrentVisualIndex", &value));
  EXPECT_EQ(value, 7u);
  ASSERT_TRUE(registry.GetDword(L"CurrentPictureIndex", &value));
  EXPECT_EQ(value, 0xFFFFFFFFu);
  ASSERT_TRUE(registry.GetDword(L"CurrentAdvertisingIndex", &value));
  EXPECT_EQ(value, 2u);
  ASSERT_TRUE(registry.GetDword(L"CurrentPowerIndex", &value));
  EXPECT_EQ(value, 1u);
  EXPECT_FALSE(registry.HasValue(L"WP_CurrentVisualIndex"));
  EXPECT_FALSE(registry.HasValue(L"RandomMedia"));

  ResetSettingsToDefaults();
  LoadSettings();
  EXPECT_EQ(CurrentMediaIndex, 4);
  EXPECT_EQ(CurrentPictureIndex, -1);
  EXPECT_EQ(CurrentVisualIndex, 7);
}
