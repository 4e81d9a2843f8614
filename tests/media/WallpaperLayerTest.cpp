// A video played as a wallpaper under Wine (real libvlc through the bridge,
// real video output on the test's X display): it is seen on the desktop, and
// behind the windows of other programs, never over them.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "media/VlcLibrary.h"
#include "platform/WideText.h"
#include "support/ChildProcess.h"
#include "support/MediaFixtures.h"
#include "support/ScreenCapture.h"
#include "support/TestPaths.h"
#include "support/VlcFixture.h"
#include "support/VlcBridge.h"

namespace {

constexpr int kPlaying = 3;

// The clip's field, RGB(0, 200, 0) in full-range YCbCr, with its bar a light
// green: the screen must show something plainly green there.
constexpr uint8_t kFieldY = 117, kFieldU = 62, kFieldV = 44;
bool IsVideoGreen(uint32_t rgb) {
  int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  return g > 150 && g > r + 60 && g > b + 60;
}

constexpr COLORREF kCoverColour = RGB(220, 40, 200);
bool IsCover(uint32_t rgb) { return rgb == 0xDC28C8; }

// Another program's window: a plain magenta rectangle, shown before the
// wallpaper starts, so the wallpaper's window comes later and must still
// end up under it.
class CoverWindow {
 public:
  explicit CoverWindow(RECT area) {
    static const wchar_t kClass[] = L"KelWallpaperCover";
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = CreateSolidBrush(kCoverColour);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
    window_ = CreateWindowExW(0, kClass, L"cover", WS_POPUP | WS_VISIBLE, area.left, area.top,
                              area.right - area.left, area.bottom - area.top, nullptr, nullptr, wc.hInstance, nullptr);
    hasXWindow_ = window_ && WaitForXWindow(window_);
  }
  ~CoverWindow() {
    if (window_) DestroyWindow(window_);
  }
  HWND Handle() const { return window_; }
  bool HasXWindow() const { return hasXWindow_; }
  // Moves or restacks it, and waits until the X server has taken the change:
  // the cursor query that follows is a round trip on the same connection.
  void Place(HWND after, int x, int y, int width, int height, UINT flags) {
    SetWindowPos(window_, after, x, y, width, height, flags);
    Pump();
    POINT cursor;
    GetCursorPos(&cursor);
  }
  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }

 private:
  HWND window_ = nullptr;
  bool hasXWindow_ = false;
};

// Waits until a screenshot passes the check; the last one taken.
template <typename Check>
ScreenCapture ScreenUntil(DWORD milliseconds, Check check, bool* passed) {
  ScreenCapture shot;
  *passed = WaitUntil(milliseconds, [&] {
    CoverWindow::Pump();
    shot = ScreenCapture();
    return shot.Width() > 0 && check(shot);
  });
  return shot;
}

struct WallpaperRoute {
  const char* name;
  const char* argument;  // given to libvlc_new, or null
  const char* option;    // given to the media, or null
};

class WallpaperLayer : public ::testing::TestWithParam<WallpaperRoute> {
 protected:
  void SetUp() override {
    // Real outputs: the picture has to reach the screen.
    SetEnvironmentVariableW(L"KEL_VLC_BRIDGE_OUTPUT", nullptr);
    install_ = MakeTempFolder(L"kel-wallpaper");
    ASSERT_TRUE(InstallBridge(install_));
    api_ = LoadVlcApi(install_);
    ASSERT_NE(api_, nullptr);
    clip_ = install_ + L"clip.y4m";
    ASSERT_TRUE(WriteFileBytes(clip_, MakeY4m(640, 360, 80, 10, kFieldY, kFieldU, kFieldV)));
  }
  void TearDown() override {
    if (player_) {
      api_->libvlc_media_player_stop(player_);
      api_->libvlc_media_player_release(player_);
    }
    if (instance_) api_->libvlc_release(instance_);
    RemoveTree(install_);
  }

  const VlcApi* api_ = nullptr;
  libvlc_instance_t* instance_ = nullptr;
  libvlc_media_player_t* player_ = nullptr;
  std::wstring install_;
  std::wstring clip_;
};

// Where a check fails, the picture is kept beside the test programs.
void KeepPicture(const ScreenCapture& shot, const std::string& name) {
  std::wstring folder = ProgramFolder() + L"..\\test-shots\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  shot.SaveBmp(folder + Utf8ToWide("wallpaper-" + name + ".bmp"));
}

TEST_P(WallpaperLayer, VideoIsSeenOnTheDesktopBehindAnotherWindow) {
  const WallpaperRoute& route = GetParam();
  const RECT cover = {100, 200, 500, 500};
  CoverWindow window(cover);
  ASSERT_TRUE(window.HasXWindow()) << "Wine made no X11 window for the other program's window";

  BridgeLog log;
  std::vector<const char*> argv;
  if (route.argument) argv.push_back(route.argument);
  instance_ = api_->libvlc_new(static_cast<int>(argv.size()), argv.empty() ? nullptr : argv.data());
  ASSERT_NE(instance_, nullptr);
  player_ = api_->libvlc_media_player_new(instance_);
  ASSERT_NE(player_, nullptr);
  api_->libvlc_video_set_mouse_input(player_, 0);
  libvlc_media_t* media = api_->libvlc_media_new_path(instance_, WideToUtf8(clip_).c_str());
  ASSERT_NE(media, nullptr);
  if (route.option) api_->libvlc_media_add_option(media, route.option);
  api_->libvlc_media_player_set_media(player_, media);
  api_->libvlc_media_release(media);
  ASSERT_EQ(api_->libvlc_media_player_play(player_), 0);
  ASSERT_TRUE(WaitUntil(30000, [&] { return api_->libvlc_media_player_get_state(player_) == kPlaying; }));

  std::vector<BridgeCall> bound = log.Calls("libvlc_media_player_set_xwindow");
  ASSERT_EQ(bound.size(), 1u) << "the bridge did not take the video as a wallpaper";
  ASSERT_EQ(bound[0].fields.size(), 3u);
  EXPECT_EQ(bound[0].fields[1], "video-wallpaper");
  EXPECT_NE(bound[0].fields[2], "0") << "no desktop layer was made";

  // The 640x360 picture fills the width of the 1024x768 screen: rows 96 to
  // 672.
  const RECT above = {100, 130, 500, 190}, right = {560, 130, 1000, 640}, below = {100, 510, 500, 640};
  const RECT inside = {cover.left + 2, cover.top + 2, cover.right - 2, cover.bottom - 2};
  auto greenShare = [](const ScreenCapture& shot, RECT area) {
    // A share, so that a frame caught half drawn does not fail the check.
    int total = 0;
    int green = shot.Count(area, 10, IsVideoGreen, &total);
    return total ? green * 100 / total : 0;
  };
  auto wholeCover = [](const ScreenCapture& shot, RECT area) {
    int total = 0;
    return shot.Count(area, 10, IsCover, &total) == total;
  };
  // Around the window: the video; where the window is: the window, every
  // point of it.
  bool seen = false;
  ScreenCapture shot = ScreenUntil(30000, [&](const ScreenCapture& s) {
    return greenShare(s, above) >= 90 && greenShare(s, right) >= 90 && greenShare(s, below) >= 90 &&
           wholeCover(s, inside);
  }, &seen);
  ASSERT_GT(shot.Width(), 0) << "the screen could not be read";
  EXPECT_TRUE(seen) << "the video is not seen on the desktop around the window";
  EXPECT_GE(greenShare(shot, above), 90);
  EXPECT_GE(greenShare(shot, right), 90);
  EXPECT_GE(greenShare(shot, below), 90);
  EXPECT_TRUE(wholeCover(shot, inside)) << "the video is drawn over the window";
  if (HasFailure()) KeepPicture(shot, route.name);

  // A window raised or shown later stays over the video too.
  window.Place(HWND_TOP, 600, 200, 300, 200, SWP_SHOWWINDOW);
  const RECT moved = {602, 202, 898, 398};
  ScreenCapture later = ScreenUntil(30000, [&](const ScreenCapture& s) {
    return wholeCover(s, moved) && greenShare(s, inside) >= 90;
  }, &seen);
  EXPECT_TRUE(seen);
  EXPECT_TRUE(wholeCover(later, moved)) << "the video is drawn over the moved window";
  EXPECT_GE(greenShare(later, inside), 90) << "the video is not seen where the window was";
  if (HasFailure()) KeepPicture(later, std::string(route.name) + "-moved");

  // Sent to the bottom of the windows (under the layer, for a moment, in X),
  // it is over the desktop again once the layer has gone back under it.
  window.Place(HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ScreenCapture bottom = ScreenUntil(30000, [&](const ScreenCapture& s) { return wholeCover(s, moved); }, &seen);
  EXPECT_TRUE(seen && wholeCover(bottom, moved)) << "the video is drawn over the lowered window";
  if (HasFailure()) KeepPicture(bottom, std::string(route.name) + "-lowered");
}

// The desktop comes back when the wallpaper's player is done with it, and a
// plain item on the same player is no wallpaper.
TEST_F(WallpaperLayer, DesktopComesBackWhenTheWallpaperEnds) {
  BridgeLog log;
  instance_ = api_->libvlc_new(0, nullptr);
  ASSERT_NE(instance_, nullptr);
  const RECT middle = {0, 150, 1024, 620};
  auto videoShare = [&] {
    ScreenCapture shot;
    int total = 0;
    int green = shot.Count(middle, 16, IsVideoGreen, &total);
    return total ? green * 100 / total : 0;
  };
  for (int round = 0; round < 2; ++round) {
    player_ = api_->libvlc_media_player_new(instance_);
    ASSERT_NE(player_, nullptr);
    api_->libvlc_video_set_mouse_input(player_, 0);
    libvlc_media_t* media = api_->libvlc_media_new_path(instance_, WideToUtf8(clip_).c_str());
    api_->libvlc_media_add_option(media, ":video-wallpaper");
    api_->libvlc_media_player_set_media(player_, media);
    api_->libvlc_media_release(media);
    ASSERT_EQ(api_->libvlc_media_player_play(player_), 0);
    EXPECT_TRUE(WaitUntil(30000, [&] { return videoShare() >= 90; })) << round << ": the wallpaper is not seen";

    if (round == 0) {
      // Released: the layer goes.
      api_->libvlc_media_player_stop(player_);
      api_->libvlc_media_player_release(player_);
      player_ = nullptr;
    } else {
      // The same player on an item without the option: not drawn as the
      // wallpaper, and the layer goes.
      log.Clear();
      libvlc_media_t* plain = api_->libvlc_media_new_path(instance_, WideToUtf8(clip_).c_str());
      api_->libvlc_media_player_set_media(player_, plain);
      api_->libvlc_media_release(plain);
      api_->libvlc_media_player_stop(player_);
      api_->libvlc_media_player_play(player_);
      EXPECT_TRUE(log.Calls("libvlc_media_player_set_xwindow").empty());
      api_->libvlc_media_player_stop(player_);
    }
    EXPECT_TRUE(WaitUntil(30000, [&] { return videoShare() < 5; })) << round << ": the wallpaper stays on the desktop";
    if (HasFailure()) KeepPicture(ScreenCapture(), "ended-" + std::to_string(round));
  }
}

// A stop gives the desktop back, as the video output closing does on
// Windows; the next start on the same player takes it again. Through the
// media player, and through a list player that plays on it.
TEST_F(WallpaperLayer, StopGivesTheDesktopBackAndPlayTakesItAgain) {
  const char* argument = "--video-wallpaper";
  instance_ = api_->libvlc_new(1, &argument);
  ASSERT_NE(instance_, nullptr);
  player_ = api_->libvlc_media_player_new(instance_);
  ASSERT_NE(player_, nullptr);
  api_->libvlc_video_set_mouse_input(player_, 0);
  libvlc_media_list_player_t* listPlayer = api_->libvlc_media_list_player_new(instance_);
  libvlc_media_list_t* list = api_->libvlc_media_list_new(instance_);
  ASSERT_TRUE(listPlayer && list);
  api_->libvlc_media_list_player_set_media_player(listPlayer, player_);
  api_->libvlc_media_list_player_set_media_list(listPlayer, list);
  const RECT middle = {0, 150, 1024, 620};
  auto videoShare = [&] {
    ScreenCapture shot;
    int total = 0;
    int green = shot.Count(middle, 16, IsVideoGreen, &total);
    return total ? green * 100 / total : 0;
  };
  for (bool throughList : {false, true}) {
    const char* route = throughList ? "list player" : "media player";
    for (int round = 0; round < 2; ++round) {
      libvlc_media_t* media = api_->libvlc_media_new_path(instance_, WideToUtf8(clip_).c_str());
      ASSERT_NE(media, nullptr);
      if (throughList) {
        api_->libvlc_media_list_lock(list);
        api_->libvlc_media_list_add_media(list, media);
        api_->libvlc_media_list_unlock(list);
        api_->libvlc_media_list_player_play_item(listPlayer, media);
      } else {
        api_->libvlc_media_player_set_media(player_, media);
        api_->libvlc_media_player_play(player_);
      }
      api_->libvlc_media_release(media);
      EXPECT_TRUE(WaitUntil(10000, [&] { return videoShare() >= 90; })) << route << " " << round << ": not seen";
      if (throughList)
        api_->libvlc_media_list_player_stop(listPlayer);
      else
        api_->libvlc_media_player_stop(player_);
      EXPECT_TRUE(WaitUntil(5000, [&] { return videoShare() < 5; })) << route << " " << round << ": stays after the stop";
      if (HasFailure()) {
        KeepPicture(ScreenCapture(), std::string("stopped-") + (throughList ? "list-" : "") + std::to_string(round));
        break;
      }
    }
  }
  api_->libvlc_media_list_player_release(listPlayer);
  api_->libvlc_media_list_release(list);
}

const WallpaperRoute kRoutes[] = {
    {"media_option", nullptr, "video-wallpaper"},
    {"library_argument", "--video-wallpaper", nullptr},
};
INSTANTIATE_TEST_SUITE_P(Routes, WallpaperLayer, ::testing::ValuesIn(kRoutes),
                         [](const ::testing::TestParamInfo<WallpaperRoute>& info) { return info.param.name; });

}  // namespace
