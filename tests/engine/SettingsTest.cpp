#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "engine/Settings.h"
#include "platform/Scoped.h"
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

namespace {

// The settings a user has, by registry name (kel's names for the two modes).
struct KnownSetting {
  const wchar_t* name;
  SettingType type;
  const void* variable;
};
const KnownSetting kKnownSettings[] = {
    {L"KEL_TARGETDIR", SettingType::Text, &KEL_TARGETDIR},
    {L"AdvertiserCatalog", SettingType::Text, &AdvertiserCatalog},
    {L"ShowClock", SettingType::Flag, &ShowClock},
    {L"RenameDrops", SettingType::Flag, &RenameDrops},
    {L"HighPriority", SettingType::Flag, &HighPriority},
    {L"PairImages", SettingType::Flag, &PairImages},
    {L"ShowName", SettingType::Flag, &ShowName},
    {L"MuteAudio", SettingType::Flag, &MuteAudio},
    {L"BlankVideo", SettingType::Flag, &BlankVideo},
    {L"ShowDate", SettingType::Flag, &ShowDate},
    {L"RandomMedia", SettingType::Flag, &RandomMedia},
    {L"ResetCache", SettingType::Flag, &ResetCache},
    {L"SliderVal_PictureTimeout", SettingType::Number, &SliderVal_PictureTimeout},
    {L"CurrentMediaIndex", SettingType::Index, &CurrentMediaIndex},
    {L"CurrentVisualIndex", SettingType::Index, &CurrentVisualIndex},
    {L"CurrentPictureIndex", SettingType::Index, &CurrentPictureIndex},
    {L"CurrentAdvertisingIndex", SettingType::Index, &CurrentAdvertisingIndex},
    {L"CurrentPowerIndex", SettingType::Index, &CurrentPowerIndex},
};

const void* VariableOf(const SettingInfo& setting) {
  switch (setting.type) {
    case SettingType::Text:
      return setting.text;
    case SettingType::Flag:
      return setting.flag;
    default:
      return setting.number;
  }
}

// A value of the setting's kind that no default has, different per entry.
std::wstring OddText(const SettingInfo& setting) { return std::wstring(L"C:\\Odd\\") + setting.name + L"\\"; }
int OddNumber(size_t row) { return 40 + static_cast<int>(row); }

}  // namespace

// Every setting a user has is in the table, with its variable and kind, in
// the order they are read; nothing else is.
TEST(SettingsTable, HoldsEverySettingOnce) {
  SettingsTable table = GetSettingsTable();
  ASSERT_EQ(table.count, std::size(kKnownSettings));
  for (size_t i = 0; i < table.count; ++i) {
    const SettingInfo& setting = table.first[i];
    EXPECT_STREQ(setting.name, kKnownSettings[i].name) << i;
    EXPECT_EQ(setting.type, kKnownSettings[i].type) << kKnownSettings[i].name;
    EXPECT_EQ(VariableOf(setting), kKnownSettings[i].variable) << kKnownSettings[i].name;
  }
}

TEST(SettingsTable, EveryEntryIsLoaded) {
  RegistrySandbox registry;
  size_t row = 0;
  for (const SettingInfo& setting : GetSettingsTable()) {
    if (setting.type == SettingType::Text)
      registry.SetText(setting.name, OddText(setting));
    else
      registry.SetDword(setting.name, setting.type == SettingType::Flag ? 1 : OddNumber(row));
    ++row;
  }
  LoadSettings();
  row = 0;
  for (const SettingInfo& setting : GetSettingsTable()) {
    switch (setting.type) {
      case SettingType::Text:
        EXPECT_EQ(*setting.text, OddText(setting)) << setting.name;
        break;
      case SettingType::Flag:
        EXPECT_TRUE(*setting.flag) << setting.name;
        break;
      default:
        EXPECT_EQ(*setting.number, OddNumber(row)) << setting.name;
    }
    ++row;
  }
}

TEST(SettingsTable, EveryEntryIsPutBackToItsDefault) {
  RegistrySandbox registry;
  size_t row = 0;
  for (const SettingInfo& setting : GetSettingsTable()) {
    if (setting.text) *setting.text = OddText(setting);
    if (setting.flag) *setting.flag = setting.defaultNumber == 0;
    if (setting.number) *setting.number = setting.defaultNumber + OddNumber(row);
    ++row;
  }
  ResetSettingsToDefaults();
  for (const SettingInfo& setting : GetSettingsTable()) {
    switch (setting.type) {
      case SettingType::Text:
        EXPECT_EQ(*setting.text, setting.defaultText) << setting.name;
        break;
      case SettingType::Flag:
        EXPECT_EQ(*setting.flag, setting.defaultNumber != 0) << setting.name;
        break;
      default:
        EXPECT_EQ(*setting.number, setting.defaultNumber) << setting.name;
    }
  }
}

// The dialog's OK writes every setting but the installer's two texts, in
// this order.
TEST(SettingsTable, TheDialogSavesEveryNumberInItsOrder) {
  const wchar_t* const expected[] = {
      L"ShowClock",         L"RenameDrops",         L"HighPriority",        L"PairImages",
      L"ShowName",          L"MuteAudio",           L"BlankVideo",          L"ShowDate",
      L"RandomMedia",       L"ResetCache",          L"CurrentVisualIndex",  L"CurrentMediaIndex",
      L"CurrentPictureIndex", L"CurrentAdvertisingIndex", L"CurrentPowerIndex", L"SliderVal_PictureTimeout",
  };
  std::vector<const SettingInfo*> order = DialogSaveOrder();
  ASSERT_EQ(order.size(), std::size(expected));
  for (size_t i = 0; i < order.size(); ++i) EXPECT_STREQ(order[i]->name, expected[i]) << i;
}

// A text is the installer's: the number writer refuses it and leaves the
// value alone.
TEST(SettingsTable, TheNumberWriterWritesNoText) {
  RegistrySandbox registry;
  registry.SetText(L"AdvertiserCatalog", L"ads.xml");
  RegistryKey key;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, key.Receive()));
  for (const SettingInfo& setting : GetSettingsTable()) {
    if (setting.type == SettingType::Text) {
      EXPECT_NE(ERROR_SUCCESS, WriteSettingDword(key, setting)) << setting.name;
    }
  }
  key.Close();
  AdvertiserCatalog = L"";
  LoadSettings();
  EXPECT_EQ(AdvertiserCatalog, L"ads.xml");
}
