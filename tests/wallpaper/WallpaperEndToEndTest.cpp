// The real kelwall.exe under Wine with real libvlc (through the bridge, dummy
// outputs): it starts hidden with its icon, plays, swaps the system's screen
// saver and puts it back when it is closed.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "media/CatalogFixtures.h"
#include "resources/ResourceIds.h"
#include "support/ChildProcess.h"
#include "support/MediaFixtures.h"
#include "support/RegistrySandbox.h"
#include "support/ShowInstall.h"
#include "support/ShowTrace.h"
#include "support/TestPaths.h"
#include "support/VlcBridge.h"
#include "support/VlcFixture.h"
#include "wallpaper/ControlWindow.h"
#include "wallpaper/SystemSaverSwap.h"
#include "wallpaper/TrayIcon.h"
#include "wallpaper/WallpaperFixtures.h"

namespace {

const std::wstring kBlank = L"%SystemRoot%\\System32\\scrnsave.scr";
// kel installed into the system folder, not where KEL_TARGETDIR points.
const std::wstring kInstalledSaver = L"C:\\windows\\system32\\kel.scr";

class WallpaperEndToEnd : public testing::Test {
 protected:
  void SetUp() override {
    install = MakeTempFolder(L"kelwall-e2e");
    ASSERT_TRUE(MakeShowInstall(install));
    UseDummyOutputs();
    registry.SetText(L"KEL_TARGETDIR", install);
    registry.SetDword(L"CurrentMediaIndex", static_cast<DWORD>(-1));
    registry.SetDword(L"CurrentVisualIndex", 6);  // kel's, not the wallpaper's
    registry.SetDword(L"CurrentPowerIndex", 2);
    registry.SetDword(L"WP_CurrentPowerIndex", 1);
    setting.SetText(kInstalledSaver);
  }
  void TearDown() override {
    wallpaper.Kill();
    RemoveTree(install);
  }
  void WriteCatalog(const std::wstring& video) {
    std::wstring folder = install + L"media";
    CatalogNode item = {L"VIDEO", L"clip.y4m", video, folder};
    ASSERT_TRUE(WriteFileBytes(install + L"kelconfig\\Scripts\\dialogs\\catalog.xml",
                               CatalogXml({{L"FOLDER0", L"media", folder, install.substr(0, install.size() - 1), {item}}})));
  }
  std::vector<TraceLine> Trace() const { return ReadShowTrace(tracePath); }
  bool WaitForLine(const std::wstring& text, DWORD ms = 30000) {
    return WaitUntil(ms, [&] { return FindTraceLine(Trace(), text) != nullptr; });
  }
  DWORD Setting(const wchar_t* name) const {
    DWORD value = 0xDEADBEEF;
    registry.GetDword(name, &value);
    return value;
  }

  RegistrySandbox registry;
  ScreenSaverSettingSandbox setting;
  BridgeLog bridge;
  std::wstring install;
  std::wstring tracePath;
  ChildProcess wallpaper;
};

}  // namespace

TEST_F(WallpaperEndToEnd, StartsHiddenPlaysAsTheWallpaperOpensItsDialogAndRestoresTheSaverOnClose) {
  std::wstring video = install + L"media\\clip.y4m";
  ASSERT_TRUE(WriteFileBytes(video, MakeY4m(160, 120, 240, 12, 80, 90, 200)));
  WriteCatalog(video);
  tracePath = install + L"trace.txt";
  // Any command line is ignored.
  ASSERT_TRUE(wallpaper.Start(ProgramFolder() + L"kelwall.exe", L"/c:1234 /s", L"KEL_TRACE=" + tracePath));

  HWND window = nullptr;
  ASSERT_TRUE(WaitUntil(20000, [&] {
    return (window = FindWindowW(kControlWindowClass, kControlWindowTitle)) != nullptr;
  }));
  ASSERT_TRUE(WaitForLine(L"SAVER_CHILD -> SAVER_VIDEOPLAYING_1", 40000));
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_TRUE(IconIsThere(window));
  EXPECT_EQ(setting.Text(), kBlank);

  // The video went to libvlc as a wallpaper.
  std::vector<BridgeCall> made = bridge.Calls("libvlc_media_new_path");
  ASSERT_FALSE(made.empty());
  EXPECT_EQ(made[0].fields[0], WideToUtf8(video));
  std::vector<std::string> options;
  for (const BridgeCall& call : bridge.Calls("libvlc_media_add_option"))
    if (call.fields.size() == 2 && call.fields[0] == made[0].result) options.push_back(call.fields[1]);
  ASSERT_GE(options.size(), 2u);
  EXPECT_EQ(options[options.size() - 2], "video-wallpaper");
  EXPECT_EQ(options.back(), "disable-screensaver");
  // libvlc reads the wallpaper mode from the library instance.
  bool wallpaperInstance = false;
  for (const BridgeCall& call : bridge.Calls("libvlc_new"))
    if (std::find(call.fields.begin(), call.fields.end(), "--video-wallpaper") != call.fields.end())
      wallpaperInstance = true;
  EXPECT_TRUE(wallpaperInstance);

  // The icon's double click arrives as the shell sends it; the show plays on.
  PostMessageW(window, CTrayIcon::kCallbackMessage, CTrayIcon::kIconId, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitForLine(L"dialog opened", 20000));
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitUntil(20000, [&] {
    return (dialog = FindWindowW(L"#32770", L"Kelvane Screen Saver Settings")) != nullptr;
  }));
  // The wallpaper's own controls; "Random" is its default whatever kel keeps.
  ASSERT_TRUE(WaitUntil(10000, [&] { return IsWindowVisible(GetDlgItem(dialog, IDC_PLAY)) != FALSE; }));
  for (int id : {IDC_PLAY, IDC_PAUSE, IDC_STOP, IDC_CLOSE_WALLPAPER})
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
  for (int id : {IDC_VISUAL_LOCAL_IMAGE, IDC_VISUAL_GOOM, IDC_INTERVAL_SLIDER, IDC_PAIR_IMAGES})
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_POWER_NONE)));
  EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_VISUAL_RANDOM, BM_GETCHECK, 0, 0), BST_CHECKED);

  // "Mute Audio" reaches the playing video at once, before any next item.
  size_t before = bridge.Calls().size();
  SendDlgItemMessageW(dialog, IDC_MUTE_AUDIO, BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitUntil(5000, [&] {
    std::vector<BridgeCall> calls = bridge.Calls();
    for (size_t i = before; i < calls.size(); ++i) {
      if (calls[i].function == "libvlc_media_new_path") return false;
      if (calls[i].function == "libvlc_audio_set_mute" && !calls[i].fields.empty() && calls[i].fields.back() == "1")
        return true;
    }
    return false;
  }));

  // "Close" ends the program through the show's own stop.
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_CLOSE_WALLPAPER, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_CLOSE_WALLPAPER)));
  ASSERT_TRUE(wallpaper.Wait(30000));
  EXPECT_EQ(wallpaper.ExitCode(), 0u);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(IconIsThere(window));

  std::vector<TraceLine> lines = Trace();
  EXPECT_NE(FindTraceLine(lines, L"stop: loading picture up"), nullptr);
  EXPECT_NE(FindTraceLine(lines, L"screen saver restored: " + kInstalledSaver), nullptr);
  // Exactly what was replaced, and the record of it is gone.
  EXPECT_EQ(setting.Text(), kInstalledSaver);
  EXPECT_FALSE(registry.HasValue(kReplacedSaverRecord));
  // The wallpaper's own values; kel's are as they were.
  EXPECT_EQ(Setting(L"WP_CurrentPowerIndex"), 0u);
  EXPECT_EQ(Setting(L"WP_CurrentVisualIndex"), 3u);
  EXPECT_EQ(Setting(L"CurrentVisualIndex"), 6u);
  EXPECT_EQ(Setting(L"CurrentPowerIndex"), 2u);
  // The loading picture went to libvlc last, without the wallpaper options.
  std::vector<BridgeCall> all = bridge.Calls("libvlc_media_new_path");
  ASSERT_GE(all.size(), 2u);
  EXPECT_NE(all.back().fields[0].find("KEL_Loading.png"), std::string::npos);
}
