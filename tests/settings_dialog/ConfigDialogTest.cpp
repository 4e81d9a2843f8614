// The settings dialog made from template 2003, driven by messages to its
// real controls; what it saves is read back from the registry and the files.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <set>
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

// And every power radio with its index.
const RadioCase kPowerRadios[] = {{IDC_POWER_NONE, 0}, {IDC_POWER_SCREEN_SAVER, 1}, {IDC_POWER_USE, 2}};

// Controls set as the user sets them (a click), or by messages where the
// template hides or disables them; a radio chosen by messages clears the
// others of its group, as a click does.
void Tick(DialogFixture& f, int id, bool on) {
  if (f.Visible(id) && f.Enabled(id))
    f.SetChecked(id, on);
  else
    CheckDlgButton(f.Dialog(), id, on ? BST_CHECKED : BST_UNCHECKED);
}
template <size_t N>
void Choose(DialogFixture& f, int id, const RadioCase (&group)[N]) {
  if (f.Visible(id) && f.Enabled(id)) {
    f.Click(id);
    return;
  }
  for (const RadioCase& radio : group)
    CheckDlgButton(f.Dialog(), radio.id, radio.id == id ? BST_CHECKED : BST_UNCHECKED);
}
// The slider moved as its own notification tells the dialog.
void Slide(DialogFixture& f, int position) {
  HWND slider = f.Control(IDC_INTERVAL_SLIDER);
  SendMessageW(slider, TBM_SETPOS, TRUE, position);
  SendMessageW(f.Dialog(), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(slider));
}

template <size_t N>
const RadioCase& RadioWithId(int id, const RadioCase (&group)[N]) {
  for (const RadioCase& radio : group)
    if (radio.id == id) return radio;
  ADD_FAILURE() << "no radio " << id;
  return group[0];
}

// What a test puts on the screen before OK.
struct ScreenCase {
  std::vector<int> ticked;  // the check boxes ticked; the others are cleared
  int visual;               // the visual radio chosen
  int power;                // the power radio chosen
  int slider;
};
bool Ticks(const ScreenCase& c, int id) { return std::find(c.ticked.begin(), c.ticked.end(), id) != c.ticked.end(); }

// Every radio is chosen once. Across the cases every check box is ticked in
// a pattern of its own (the first four spell each box's number, 1 to 10, in
// binary), so two boxes wired to each other's setting store differently
// somewhere.
const ScreenCase kScreens[] = {
    {{IDC_SHOW_CLOCK, IDC_SHOW_DATE, IDC_MUTE_AUDIO, IDC_RENAME_URLS, IDC_HIGH_PRIORITY}, IDC_VISUAL_NONE,
     IDC_POWER_NONE, 5},
    {{IDC_SHOW_NAME, IDC_SHOW_DATE, IDC_BLANK_VIDEO, IDC_RENAME_URLS, IDC_RESET_CACHE}, IDC_VISUAL_LOCAL_IMAGE,
     IDC_POWER_SCREEN_SAVER, 12},
    {{IDC_RANDOM_MEDIA, IDC_MUTE_AUDIO, IDC_BLANK_VIDEO, IDC_RENAME_URLS}, IDC_VISUAL_WEB_IMAGE, IDC_POWER_USE, 19},
    {{IDC_PAIR_IMAGES, IDC_HIGH_PRIORITY, IDC_RESET_CACHE}, IDC_VISUAL_RANDOM, IDC_POWER_NONE, 26},
    {{IDC_SHOW_CLOCK, IDC_SHOW_NAME, IDC_SHOW_DATE, IDC_RANDOM_MEDIA, IDC_MUTE_AUDIO, IDC_BLANK_VIDEO,
      IDC_RENAME_URLS, IDC_PAIR_IMAGES, IDC_HIGH_PRIORITY, IDC_RESET_CACHE},
     IDC_VISUAL_SCOPE, IDC_POWER_SCREEN_SAVER, 33},
    {{}, IDC_VISUAL_SPECTRUM, IDC_POWER_USE, 40},
    {{IDC_MUTE_AUDIO}, IDC_VISUAL_SPECTROMETER, IDC_POWER_NONE, 47},
    {{IDC_BLANK_VIDEO}, IDC_VISUAL_VU_METER, IDC_POWER_SCREEN_SAVER, 54},
    {{IDC_SHOW_CLOCK, IDC_SHOW_NAME, IDC_SHOW_DATE, IDC_MUTE_AUDIO, IDC_BLANK_VIDEO, IDC_RENAME_URLS,
      IDC_PAIR_IMAGES, IDC_HIGH_PRIORITY, IDC_RESET_CACHE},
     IDC_VISUAL_GOOM, IDC_POWER_USE, 60},
};

// Each case starts from a registry that is its opposite, which the dialog
// shows; the test puts the case on the screen through the controls, and OK
// stores exactly what the screen shows (also where the stored mode was on
// the hidden "WEB Image", which a click elsewhere must clear).
TEST(ConfigDialog, OkStoresWhatIsOnTheScreen) {
  // The table itself: no box is ticked in every case or none, no two in the
  // same ones, and every visual radio is chosen.
  std::set<std::vector<bool>> patterns;
  for (const CheckBoxCase& box : kCheckBoxes) {
    std::vector<bool> pattern;
    for (const ScreenCase& c : kScreens) pattern.push_back(Ticks(c, box.id));
    ASSERT_NE(std::count(pattern.begin(), pattern.end(), true), 0) << box.value;
    ASSERT_NE(std::count(pattern.begin(), pattern.end(), false), 0) << box.value;
    ASSERT_TRUE(patterns.insert(pattern).second) << box.value << " shares its pattern";
  }
  std::set<int> chosen;
  for (const ScreenCase& c : kScreens) chosen.insert(c.visual);
  ASSERT_EQ(std::size(kVisualRadios), chosen.size());

  for (size_t k = 0; k < std::size(kScreens); ++k) {
    const ScreenCase& c = kScreens[k];
    SCOPED_TRACE("screen case " + std::to_string(k));
    const RadioCase& visual = RadioWithId(c.visual, kVisualRadios);
    const RadioCase& power = RadioWithId(c.power, kPowerRadios);
    const RadioCase& otherVisual = kVisualRadios[(k + 4) % std::size(kVisualRadios)];
    const RadioCase& otherPower = kPowerRadios[(k + 1) % std::size(kPowerRadios)];
    const int otherSlider = 65 - c.slider;
    DialogFixture f;
    for (const CheckBoxCase& box : kCheckBoxes) f.Registry().SetDword(box.value, Ticks(c, box.id) ? 0 : 1);
    f.Registry().SetDword(L"CurrentVisualIndex", otherVisual.mode);
    f.Registry().SetDword(L"CurrentPowerIndex", otherPower.mode);
    f.Registry().SetDword(L"SliderVal_PictureTimeout", otherSlider);
    ASSERT_TRUE(f.Open());
    for (const CheckBoxCase& box : kCheckBoxes) EXPECT_EQ(!Ticks(c, box.id), f.Checked(box.id)) << box.value;
    for (const RadioCase& radio : kVisualRadios) EXPECT_EQ(radio.id == otherVisual.id, f.Checked(radio.id)) << radio.id;
    for (const RadioCase& radio : kPowerRadios) EXPECT_EQ(radio.id == otherPower.id, f.Checked(radio.id)) << radio.id;
    EXPECT_EQ(otherSlider, SendMessageW(f.Control(IDC_INTERVAL_SLIDER), TBM_GETPOS, 0, 0));

    for (const CheckBoxCase& box : kCheckBoxes) Tick(f, box.id, Ticks(c, box.id));
    Choose(f, c.visual, kVisualRadios);
    Choose(f, c.power, kPowerRadios);
    Slide(f, c.slider);
    // What OK will see, so a control the test could not set shows here.
    for (const CheckBoxCase& box : kCheckBoxes) ASSERT_EQ(Ticks(c, box.id), f.Checked(box.id)) << box.value;
    for (const RadioCase& radio : kVisualRadios) ASSERT_EQ(radio.id == c.visual, f.Checked(radio.id)) << radio.id;
    for (const RadioCase& radio : kPowerRadios) ASSERT_EQ(radio.id == c.power, f.Checked(radio.id)) << radio.id;
    ASSERT_EQ(std::to_wstring(c.slider), f.Text(IDC_INTERVAL_VALUE));

    f.Ok();
    ASSERT_TRUE(f.Ended());
    for (const CheckBoxCase& box : kCheckBoxes) EXPECT_EQ(Ticks(c, box.id) ? 1u : 0u, f.Dword(box.value)) << box.value;
    EXPECT_EQ(static_cast<DWORD>(visual.mode), f.Dword(L"CurrentVisualIndex"));
    EXPECT_EQ(static_cast<DWORD>(power.mode), f.Dword(L"CurrentPowerIndex"));
    EXPECT_EQ(static_cast<DWORD>(c.slider), f.Dword(L"SliderVal_PictureTimeout"));
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
// and the interval a running show keeps to follow at once, and OK stores it.
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
  EXPECT_EQ(7, PictureIntervalInUse());
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
  EXPECT_EQ(42, PictureIntervalInUse());
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
  // A show running beside the dialog starts its list over too.
  EXPECT_EQ(0, CurrentMediaIndex);
  EXPECT_FALSE(f.Registry().HasValue(L"AdvertiserCatalog"));
  // Every value the dialog edits, as a number.
  for (const wchar_t* name : {L"ShowClock", L"RenameDrops", L"HighPriority", L"PairImages", L"ShowName", L"MuteAudio",
                              L"BlankVideo", L"ShowDate", L"RandomMedia", L"ResetCache", L"CurrentVisualIndex",
                              L"CurrentPowerIndex", L"SliderVal_PictureTimeout"})
    EXPECT_NE(0xDEADBEEFu, f.Dword(name)) << name;
}

// Walks the settings table rather than a list of its own: a setting that is
// read is written back on OK as the dialog showed it, the three indexes the
// show continues from as 0, and the installer's texts are not written.
TEST(ConfigDialog, OkWritesEverySettingOfTheTableAsItWasShown) {
  DialogFixture f;
  std::map<std::wstring, DWORD> expected = {
      {L"CurrentVisualIndex", 6}, {L"SliderVal_PictureTimeout", 30}, {L"CurrentPowerIndex", 1},
      {L"CurrentMediaIndex", 0},  {L"CurrentPictureIndex", 0},       {L"CurrentAdvertisingIndex", 0},
  };
  DWORD on = 1;
  for (const SettingInfo& setting : GetSettingsTable()) {
    if (setting.type != SettingType::Flag) continue;
    expected[setting.name] = on;
    on = 1 - on;
  }
  for (const auto& value : expected) f.Registry().SetDword(value.first.c_str(), value.second);
  f.Registry().SetDword(L"CurrentMediaIndex", 7);
  f.Registry().SetDword(L"CurrentPictureIndex", 8);
  f.Registry().SetDword(L"CurrentAdvertisingIndex", 9);
  f.Registry().SetText(L"AdvertiserCatalog", L"ads.xml");
  ASSERT_TRUE(f.Open());
  f.Ok();
  ASSERT_TRUE(f.Ended());
  for (const SettingInfo& setting : GetSettingsTable()) {
    if (setting.type == SettingType::Text) {
      EXPECT_EQ(0xDEADBEEFu, f.Dword(setting.name)) << setting.name << " was written as a number";
      continue;
    }
    auto value = expected.find(setting.name);
    ASSERT_NE(value, expected.end()) << setting.name << " is a setting this test does not know";
    EXPECT_EQ(value->second, f.Dword(setting.name)) << setting.name;
  }
  EXPECT_TRUE(f.Registry().HasValue(L"KEL_TARGETDIR"));
  EXPECT_TRUE(f.Registry().HasValue(L"AdvertiserCatalog"));
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
