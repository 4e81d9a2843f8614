// The settings dialog made from template 2003, driven by messages to its
// real controls; what it saves is read back from the registry and the files.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "engine/Logic.h"
#include "engine/Settings.h"
#include "resources/ResourceIds.h"
#include "settings_dialog/ConfigDialog.h"
#include "settings_dialog/ConfigDialogProc.h"
#include "settings_dialog/DialogFixture.h"
#include "support/ChildProcess.h"
#include "support/TestPaths.h"

namespace {

struct CheckBoxCase {
  int id;
  const wchar_t* value;
};
const CheckBoxCase kCheckBoxes[] = {
    {IDC_SHOW_CLOCK, L"ShowClock"},     {IDC_SHOW_NAME, L"ShowName"},     {IDC_SHOW_DATE, L"ShowDate"},
    {IDC_RANDOM_MEDIA, L"RandomMedia"}, {IDC_MUTE_AUDIO, L"MuteAudio"},   {IDC_BLANK_VIDEO, L"BlankVideo"},
    {IDC_RENAME_URLS, L"RenameDrops"},  {IDC_PAIR_IMAGES, L"PairImages"}, {IDC_HIGH_PRIORITY, L"HighPriority"},
    {IDC_RESET_CACHE, L"ResetCache"},
};

// Every visual radio with the mode it stands for.
struct RadioCase {
  int id;
  int mode;
};
const RadioCase kVisualRadios[] = {
    {IDC_VISUAL_NONE, 0},     {IDC_VISUAL_LOCAL_IMAGE, 1},  {IDC_VISUAL_WEB_IMAGE, 2},
    {IDC_VISUAL_RANDOM, 3},   {IDC_VISUAL_SCOPE, 4},        {IDC_VISUAL_SPECTRUM, 5},
    {IDC_VISUAL_SPECTROMETER, 6}, {IDC_VISUAL_VU_METER, 7}, {IDC_VISUAL_GOOM, 8},
};

TEST(ConfigDialog, OpensFromTheTemplateWithItsInitialStates) {
  DialogFixture f;
  ASSERT_TRUE(f.Open());
  wchar_t title[128] = {};
  GetWindowTextW(f.Dialog(), title, 128);
  EXPECT_STREQ(L"Kelvane Screen Saver Settings", title);
  EXPECT_EQ(L"No Media Selected", f.Text(IDC_STATUS_LINE));
  EXPECT_EQ(0u, f.Text(IDC_VERSION_TEXT).find(L"Kelvane Screen Saver"));
  EXPECT_NE(std::wstring::npos, f.Text(IDC_VERSION_TEXT).find(L"\nTamberlyn Zorarudidar"));
  // Hidden in kel: power radios, playback buttons, Help; "Close" disabled.
  for (int id : {IDC_POWER_NONE, IDC_POWER_SCREEN_SAVER, IDC_POWER_USE, IDC_PLAY, IDC_PAUSE, IDC_STOP,
                 IDC_HELP_BUTTON, IDC_IDLE_OPTIONS}) {
    EXPECT_FALSE(f.Visible(id)) << id;
  }
  for (int id : {IDC_POWER_NONE, IDC_POWER_SCREEN_SAVER, IDC_POWER_USE, IDC_IDLE_OPTIONS, IDC_CLOSE_WALLPAPER,
                 IDC_SAVE_CATALOG, IDC_ADD_MEDIA, IDC_URL_NAME_EDIT}) {
    EXPECT_FALSE(f.Enabled(id)) << id;
  }
  for (int id : {IDOK, IDCANCEL, IDC_UPDATE, IDC_CREATE_CATALOG, IDC_OPEN_CATALOG, IDC_DELETE_ITEM})
    EXPECT_TRUE(f.Visible(id) && f.Enabled(id)) << id;
  // The drop area shows its picture.
  EXPECT_NE(0, SendMessageW(f.Control(IDC_DROP_AREA), STM_GETIMAGE, IMAGE_BITMAP, 0));
  // With no show running, the dialog made the logic object it needs.
  EXPECT_NE(nullptr, GetLogic());
  f.Cancel();
  EXPECT_TRUE(f.Ended());
  EXPECT_EQ(nullptr, GetLogic());
}

TEST(ConfigDialog, CheckBoxesShowAndSaveTheirSettings) {
  // Two openings with complementary patterns, so each box is seen both ways.
  for (int pattern = 0; pattern < 2; ++pattern) {
    DialogFixture f;
    for (size_t i = 0; i < std::size(kCheckBoxes); ++i)
      f.Registry().SetDword(kCheckBoxes[i].value, (i + pattern) % 2);
    ASSERT_TRUE(f.Open());
    for (size_t i = 0; i < std::size(kCheckBoxes); ++i)
      EXPECT_EQ((i + pattern) % 2 == 1, f.Checked(kCheckBoxes[i].id)) << kCheckBoxes[i].value;
    // Flip every box (the hidden ones by message, as the user can't).
    for (const CheckBoxCase& box : kCheckBoxes)
      CheckDlgButton(f.Dialog(), box.id, f.Checked(box.id) ? BST_UNCHECKED : BST_CHECKED);
    f.Ok();
    ASSERT_TRUE(f.Ended());
    for (size_t i = 0; i < std::size(kCheckBoxes); ++i)
      EXPECT_EQ((i + pattern + 1) % 2, f.Dword(kCheckBoxes[i].value)) << kCheckBoxes[i].value;
  }
}

TEST(ConfigDialog, VisualRadiosShowTheStoredModeAndOkStoresTheChecked) {
  for (int stored : {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9}) {
    DialogFixture f;
    f.Registry().SetDword(L"CurrentVisualIndex", static_cast<DWORD>(stored));
    ASSERT_TRUE(f.Open());
    for (const RadioCase& radio : kVisualRadios)
      EXPECT_EQ(radio.mode == stored, f.Checked(radio.id)) << "stored " << stored << " radio " << radio.id;
    f.Ok();
    ASSERT_TRUE(f.Ended());
    DWORD expected = stored >= 0 && stored <= 8 ? static_cast<DWORD>(stored) : 0;
    EXPECT_EQ(expected, f.Dword(L"CurrentVisualIndex")) << "stored " << stored;
  }
}

TEST(ConfigDialog, ClickingARadioChecksOnlyItAndOkStoresItsMode) {
  for (const RadioCase& radio : kVisualRadios) {
    if (radio.id == IDC_VISUAL_WEB_IMAGE) continue;  // hidden and disabled
    DialogFixture f;
    f.Registry().SetDword(L"CurrentVisualIndex", radio.mode == 5 ? 6 : 5);
    f.Registry().SetDword(L"RandomMedia", 1);
    ASSERT_TRUE(f.Open());
    f.Click(radio.id);
    for (const RadioCase& other : kVisualRadios) EXPECT_EQ(other.id == radio.id, f.Checked(other.id)) << other.id;
    // Check boxes standing between the radios of the group are left alone.
    EXPECT_TRUE(f.Checked(IDC_RANDOM_MEDIA));
    f.Ok();
    EXPECT_EQ(static_cast<DWORD>(radio.mode), f.Dword(L"CurrentVisualIndex")) << radio.id;
  }
}

TEST(ConfigDialog, PowerIndexKeepsItsRule) {
  struct Case {
    int stored;
    int checked;  // radio id, 0 for none
    DWORD saved;
  };
  const Case cases[] = {{0, IDC_POWER_NONE, 0}, {1, IDC_POWER_SCREEN_SAVER, 1}, {2, IDC_POWER_USE, 2}, {7, 0, 0}};
  for (const Case& c : cases) {
    DialogFixture f;
    f.Registry().SetDword(L"CurrentPowerIndex", c.stored);
    ASSERT_TRUE(f.Open());
    for (int id : {IDC_POWER_NONE, IDC_POWER_SCREEN_SAVER, IDC_POWER_USE})
      EXPECT_EQ(id == c.checked, f.Checked(id)) << c.stored << " " << id;
    f.Ok();
    EXPECT_EQ(c.saved, f.Dword(L"CurrentPowerIndex")) << c.stored;
  }
}

// The slider and its number show the interval the show keeps to, whatever is
// stored (nothing at all on a fresh install); OK stores what they show.
TEST(ConfigDialog, SliderShowsTheIntervalInUseAndOkStoresIt) {
  struct Case {
    bool stored;
    DWORD value;
    int position;
    int maximum;
  };
  const Case cases[] = {{false, 0, 5, 60},  {true, 0, 5, 60},    {true, static_cast<DWORD>(-7), 5, 60},
                        {true, 4, 5, 60},   {true, 5, 5, 60},    {true, 30, 30, 60},
                        {true, 60, 60, 60}, {true, 61, 61, 61},  {true, 3600, 3600, 3600}};
  for (const Case& c : cases) {
    DialogFixture f;
    if (c.stored) f.Registry().SetDword(L"SliderVal_PictureTimeout", c.value);
    ASSERT_TRUE(f.Open());
    HWND slider = f.Control(IDC_INTERVAL_SLIDER);
    EXPECT_EQ(c.position, SendMessageW(slider, TBM_GETPOS, 0, 0)) << c.value;
    EXPECT_EQ(5, SendMessageW(slider, TBM_GETRANGEMIN, 0, 0)) << c.value;
    EXPECT_EQ(c.maximum, SendMessageW(slider, TBM_GETRANGEMAX, 0, 0)) << c.value;
    EXPECT_EQ(std::to_wstring(c.position), f.Text(IDC_INTERVAL_VALUE)) << c.value;
    f.Ok();
    EXPECT_EQ(static_cast<DWORD>(c.position), f.Dword(L"SliderVal_PictureTimeout")) << c.value;
  }
}

// A user on a fresh install moves the slider with the keyboard: the number
// follows at once and OK stores it.
TEST(ConfigDialog, TheSliderMovedByKeyStoresWhatItShows) {
  DialogFixture f;
  ASSERT_TRUE(f.Open());
  HWND slider = f.Control(IDC_INTERVAL_SLIDER);
  SetFocus(slider);
  for (UINT key : {VK_RIGHT, VK_RIGHT, VK_LEFT, VK_RIGHT}) {
    SendMessageW(slider, WM_KEYDOWN, key, 0);
    SendMessageW(slider, WM_KEYUP, key, 0);
  }
  EXPECT_EQ(7, SendMessageW(slider, TBM_GETPOS, 0, 0));
  EXPECT_EQ(L"7", f.Text(IDC_INTERVAL_VALUE));
  EXPECT_EQ(7, SliderVal_PictureTimeout);
  f.Ok();
  EXPECT_EQ(7u, f.Dword(L"SliderVal_PictureTimeout"));
}

TEST(ConfigDialog, SliderFollowsTheUser) {
  DialogFixture f;
  ASSERT_TRUE(f.Open());
  HWND slider = f.Control(IDC_INTERVAL_SLIDER);
  SendMessageW(slider, TBM_SETPOS, TRUE, 42);
  SendMessageW(f.Dialog(), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 42), reinterpret_cast<LPARAM>(slider));
  EXPECT_EQ(L"42", f.Text(IDC_INTERVAL_VALUE));
  EXPECT_EQ(42, SliderVal_PictureTimeout);
  // A scroll message from another control is not the slider's.
  SendMessageW(slider, TBM_SETPOS, TRUE, 10);
  SendMessageW(f.Dialog(), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 10), reinterpret_cast<LPARAM>(f.Control(IDOK)));
  EXPECT_EQ(L"42", f.Text(IDC_INTERVAL_VALUE));
  SendMessageW(f.Dialog(), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 10), reinterpret_cast<LPARAM>(slider));
  f.Ok();
  EXPECT_EQ(10u, f.Dword(L"SliderVal_PictureTimeout"));
}

// Everything in the "Audio Visualization" box stays inside its border: a
// control lying over the border erases it when it paints, as the slider did
// once it had the focus.
TEST(ConfigDialog, TheVisualizationBoxHoldsItsControls) {
  DialogFixture f;
  ASSERT_TRUE(f.Open());
  HWND box = FindWindowExW(f.Dialog(), nullptr, L"Button", L"Audio Visualization");
  ASSERT_NE(nullptr, box);
  RECT border;
  GetWindowRect(box, &border);
  InflateRect(&border, -2, -2);  // the frame's own lines
  std::vector<int> inside = {IDC_INTERVAL_SLIDER, IDC_INTERVAL_LABEL, IDC_INTERVAL_VALUE, IDC_PAIR_IMAGES};
  for (const RadioCase& radio : kVisualRadios) inside.push_back(radio.id);
  for (int id : inside) {
    RECT r;
    ASSERT_TRUE(GetWindowRect(f.Control(id), &r)) << id;
    EXPECT_GE(r.left, border.left) << id;
    EXPECT_LE(r.right, border.right) << id;
    EXPECT_GE(r.top, border.top) << id;
    EXPECT_LE(r.bottom, border.bottom) << id;
  }
}

TEST(ConfigDialog, OkWritesEveryValueWithTheIndexesAtZero) {
  DialogFixture f;
  f.Registry().SetDword(L"CurrentMediaIndex", 7);
  f.Registry().SetDword(L"CurrentPictureIndex", 8);
  f.Registry().SetDword(L"CurrentAdvertisingIndex", 9);
  ASSERT_TRUE(f.Open());
  f.Ok();
  ASSERT_TRUE(f.Ended());
  EXPECT_EQ(0u, f.Dword(L"CurrentMediaIndex"));
  EXPECT_EQ(0u, f.Dword(L"CurrentPictureIndex"));
  EXPECT_EQ(0u, f.Dword(L"CurrentAdvertisingIndex"));
  EXPECT_EQ(0, CurrentMediaIndex);
  EXPECT_FALSE(f.Registry().HasValue(L"AdvertiserCatalog"));
  // Every value the dialog edits, as a number.
  for (const wchar_t* name : {L"ShowClock", L"RenameDrops", L"HighPriority", L"PairImages", L"ShowName", L"MuteAudio",
                              L"BlankVideo", L"ShowDate", L"RandomMedia", L"ResetCache", L"CurrentVisualIndex",
                              L"CurrentPowerIndex", L"SliderVal_PictureTimeout"})
    EXPECT_NE(0xDEADBEEFu, f.Dword(name)) << name;
}

// Walks the settings table rather than a list of its own: a setting that is
// read is written back on OK, as the dialog left it, and the installer's
// texts are not.
TEST(ConfigDialog, OkWritesEverySettingOfTheTableAsItStands) {
  DialogFixture f;
  bool on = true;
  for (const SettingInfo& setting : GetSettingsTable()) {
    if (setting.type != SettingType::Flag) continue;
    f.Registry().SetDword(setting.name, on ? 1 : 0);
    on = !on;
  }
  f.Registry().SetDword(L"CurrentVisualIndex", 6);
  f.Registry().SetDword(L"SliderVal_PictureTimeout", 30);
  f.Registry().SetDword(L"CurrentMediaIndex", 7);
  ASSERT_TRUE(f.Open());
  f.Ok();
  ASSERT_TRUE(f.Ended());
  for (const SettingInfo& setting : GetSettingsTable()) {
    if (setting.type == SettingType::Text) continue;
    DWORD expected = setting.flag ? (*setting.flag ? 1u : 0u) : static_cast<DWORD>(*setting.number);
    EXPECT_EQ(expected, f.Dword(setting.name)) << setting.name;
  }
  EXPECT_EQ(6, CurrentVisualIndex);
  EXPECT_EQ(30, SliderVal_PictureTimeout);
  EXPECT_EQ(0, CurrentMediaIndex);
  EXPECT_FALSE(f.Registry().HasValue(L"AdvertiserCatalog"));
  EXPECT_EQ(f.Install(), KEL_TARGETDIR);
}

TEST(ConfigDialog, CancelChangesNothing) {
  DialogFixture f;
  f.Registry().SetDword(L"ShowName", 1);
  f.Registry().SetDword(L"CurrentMediaIndex", 7);
  f.Registry().SetDword(L"CurrentVisualIndex", 4);
  f.WriteCatalog(SmallCatalogXml());
  std::string before = ReadFileBytes(f.CatalogPath());
  ASSERT_TRUE(f.Open());
  f.Click(IDC_SHOW_NAME);
  f.Click(IDC_VISUAL_GOOM);
  f.Command(IDC_DELETE_ITEM);
  f.Cancel();
  ASSERT_TRUE(f.Ended());
  EXPECT_EQ(1u, f.Dword(L"ShowName"));
  EXPECT_EQ(7u, f.Dword(L"CurrentMediaIndex"));
  EXPECT_EQ(4u, f.Dword(L"CurrentVisualIndex"));
  EXPECT_FALSE(f.Registry().HasValue(L"SliderVal_PictureTimeout"));
  EXPECT_EQ(before, ReadFileBytes(f.CatalogPath()));
  // The close box and Escape are Cancel too.
  DialogFixture g;
  ASSERT_TRUE(g.Open());
  SendMessageW(g.Dialog(), WM_CLOSE, 0, 0);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_TRUE(g.Ended());
  EXPECT_FALSE(g.Registry().HasValue(L"ShowName"));
}

TEST(ConfigDialog, ASecondDialogInTheProcessIsRefused) {
  DialogFixture f;
  ASSERT_TRUE(f.Open());
  CConfigDialog* first = GetCurrentConfigDialog();
  HWND second = CreateDialogParamW(GetDialogModule(), MAKEINTRESOURCEW(IDD_SETTINGS_DIALOG), nullptr,
                                   ScreenSaverConfigureDialog, 0);
  ASSERT_EQ(1u, Seams().boxes.size());
  EXPECT_EQ(L"Only one instance allowed!", Seams().boxes[0].text);
  EXPECT_EQ(L"Kelvane Error!", Seams().boxes[0].caption);
  EXPECT_EQ(static_cast<UINT>(MB_ICONWARNING), Seams().boxes[0].style);
  // The second's messages never reach the first's object.
  SendMessageW(second, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(first, GetCurrentConfigDialog());
  if (second) DestroyWindow(second);
  EXPECT_EQ(first, GetCurrentConfigDialog());
  f.Ok();
  EXPECT_TRUE(f.Ended());
}

TEST(ConfigDialog, AnotherRunningProgramEndsTheDialogUnsaved) {
  std::wstring folder = MakeTempFolder(L"keldialogother");
  std::wstring program = folder + L"kelwall.exe";
  ASSERT_TRUE(CopyFileW((ProgramFolder() + L"kel_sleeper.exe").c_str(), program.c_str(), FALSE));
  {
    ChildProcess other;
    ASSERT_TRUE(other.Start(program, L"60"));
    DialogFixture f;
    f.WriteCatalog(SmallCatalogXml());
    ASSERT_TRUE(f.Open());  // pumps the posted close
    ASSERT_FALSE(Seams().boxes.empty());
    EXPECT_EQ(L"Only one instance allowed!", Seams().boxes[0].text);
    EXPECT_EQ(L"Kelvane Error!", Seams().boxes[0].caption);
    EXPECT_EQ(nullptr, Seams().boxes[0].owner);
    EXPECT_TRUE(f.Ended());
    EXPECT_EQ(L"", f.CatalogTreeText());
    EXPECT_FALSE(f.Registry().HasValue(L"ShowClock"));
    other.Kill();
  }
  RemoveTree(folder);
}

TEST(ConfigDialog, ADialogBesideARunningShowUsesTheShowsLogic) {
  KEL_Logic showLogic;
  DialogFixture f;
  ASSERT_TRUE(f.Open());
  EXPECT_EQ(&showLogic, GetLogic());
  f.Ok();
  EXPECT_EQ(&showLogic, GetLogic());
}

}  // namespace
