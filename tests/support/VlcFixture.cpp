#include "support/VlcFixture.h"

#include <algorithm>
#include <functional>

#include "engine/Settings.h"
#include "media/VlcPlayer.h"
#include "platform/WideText.h"
#include "support/ChildProcess.h"
#include "support/TestPaths.h"
#include "support/VlcBridge.h"

void VlcFixture::SetUp() {
  if (dummyOutputs_)
    UseDummyOutputs();
  else
    SetEnvironmentVariableW(L"KEL_VLC_BRIDGE_OUTPUT", nullptr);
  ResetSettingsToDefaults();
  install_ = MakeTempFolder(L"kel-vlc");
  media_ = MakeTempFolder(L"kel-media");
  RecordSoundInto(recordSound_ ? SoundFile() : std::wstring());
  ASSERT_TRUE(InstallBridge(install_)) << "no bridge placeholder at " << WideToUtf8(BridgePlaceholderPath());
  KEL_TARGETDIR = install_;
  player_.reset(new KEL_TamListPlayer());
  InitPlayer(nullptr);
  ASSERT_TRUE(GetVlcPlayer().IsOpen());
}

void VlcFixture::TearDown() {
  ReleasePlayer();
  RecordSoundInto(std::wstring());
  player_.reset();
  GetVlcPlayer().ClearListLocations();
  GetVlcPlayer().ClearOptions();
  RemoveTree(media_);
  RemoveTree(install_);
  ResetSettingsToDefaults();
}

std::wstring VlcFixture::WriteMedia(const std::wstring& name, const std::string& bytes) {
  std::wstring path = media_ + name;
  EXPECT_TRUE(WriteFileBytes(path, bytes));
  return path;
}

bool VlcFixture::ReachesState(int state, DWORD ms) {
  return WaitUntil(ms, [&] { return GetPlayerState() == state; });
}

std::vector<int> StatesUntilDone(DWORD ms) {
  std::vector<int> seen;
  WaitUntil(ms, [&] {
    int state = GetPlayerState();
    if (seen.empty() || seen.back() != state) seen.push_back(state);
    return state == 6 || state == 7;
  });
  return seen;
}

::testing::AssertionResult PlayedToTheEnd(const std::vector<int>& states) {
  auto playing = std::find(states.begin(), states.end(), 3);
  if (playing != states.end() && std::find(playing, states.end(), 6) != states.end())
    return ::testing::AssertionSuccess();
  ::testing::AssertionResult failure = ::testing::AssertionFailure() << "states seen:";
  for (int state : states) failure << " " << state;
  return failure;
}

// The calls that take a media get one: with a null one they would report
// failure with libvlc open too. Where the wrapper can still make a media or
// give a list item, libvlc is open and the rows say so; otherwise a stand-in
// that no call may hand to libvlc.
void ExpectNoPlayback() {
  CVlcPlayer& vlc = GetVlcPlayer();
  EXPECT_FALSE(vlc.IsOpen());
  static char standIn[64];
  auto someMedia = [&]() -> libvlc_media_t* {
    libvlc_media_t* media = vlc.NewMediaFromPath(L"C:\\a.wav");
    return media ? media : reinterpret_cast<libvlc_media_t*>(standIn);
  };
  auto someListItem = [&]() -> libvlc_media_t* {
    libvlc_media_t* item = vlc.ListItemAt(0);
    return item ? item : reinterpret_cast<libvlc_media_t*>(standIn);
  };
  struct Call {
    const char* name;
    std::function<bool()> call;  // true would mean something happened
  };
  const Call calls[] = {
      {"NewMediaFromPath", [&] { return vlc.NewMediaFromPath(L"C:\\a.wav") != nullptr; }},
      {"PlayMedia", [&] { return vlc.PlayMedia(someMedia()); }},
      {"ListItemAt", [&] { return vlc.ListItemAt(0) != nullptr; }},
      {"PlayListItem", [&] { return vlc.PlayListItem(someListItem()) != -1; }},
      {"IsListItemPlaying", [&] { return vlc.IsListItemPlaying(0); }},
      {"MediaPlayerPause(true)", [&] { return vlc.MediaPlayerPause(true); }},
      {"MediaPlayerPause(false)", [&] { return vlc.MediaPlayerPause(false); }},
      {"ListPlayerPause(true)", [&] { return vlc.ListPlayerPause(true); }},
      {"ListPlayerPause(false)", [&] { return vlc.ListPlayerPause(false); }},
      {"MediaPlayerStop", [&] { return vlc.MediaPlayerStop(); }},
      {"ListPlayerStop", [&] { return vlc.ListPlayerStop(); }},
      {"MediaPlayerSetPosition", [&] { return vlc.MediaPlayerSetPosition(0.5f); }},
      {"MediaPlayerWillPlay", [&] { return vlc.MediaPlayerWillPlay(); }},
      {"ReleaseMedia", [&] { return vlc.ReleaseMedia(someMedia()); }},
      {"GetOutputWindow", [&] { return vlc.GetOutputWindow() != nullptr; }},
      {"PlayNextMedia", [] { return PlayNextMedia(); }},
      {"PlayNextAdvert", [] { return PlayNextAdvert(); }},
      {"PlayFile", [] { return PlayFile(L"C:\\a.wav"); }},
      {"PausePlayer(true)", [] { return PausePlayer(true); }},
      {"PausePlayer(false)", [] { return PausePlayer(false); }},
      {"PauseListPlayer(true)", [] { return PauseListPlayer(true); }},
      {"PauseListPlayer(false)", [] { return PauseListPlayer(false); }},
      {"StopPlayer", [] { return StopPlayer(); }},
      {"StopListPlayer", [] { return StopListPlayer(); }},
      {"GetPlayerWindow", [] { return GetPlayerWindow() != nullptr; }},
      {"IsCurrentListItemPlaying", [] { return IsCurrentListItemPlaying(); }},
  };
  for (const Call& c : calls) EXPECT_FALSE(c.call()) << c.name;
  EXPECT_EQ(vlc.MediaPlayerState(), 7);
  EXPECT_EQ(vlc.ListPlayerState(), 7);
  EXPECT_EQ(GetPlayerState(), 7);
  EXPECT_EQ(vlc.ListItemDuration(0), 3u);
  // These report nothing; they must simply not reach a player.
  vlc.SetMute(true);
  vlc.RecreatePlayers();
  SetVideoWindow(GetDesktopWindow());
  EXPECT_EQ(GetPlayerWindow(), nullptr);
  SetVideoWindow(nullptr);
}

std::wstring FileUrl(const std::wstring& path) {
  static const char hex[] = "0123456789ABCDEF";
  std::string url = "file:///";
  for (unsigned char c : WideToUtf8(path)) {
    if (c == '\\') {
      url += '/';
    } else if (c <= ' ' || c >= 0x7F || c == '%' || c == '#' || c == '?') {
      url += '%';
      url += hex[c >> 4];
      url += hex[c & 15];
    } else {
      url += static_cast<char>(c);
    }
  }
  return Utf8ToWide(url);
}

TestWindow::TestWindow() {
  static const wchar_t kClass[] = L"KelVlcTestWindow";
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClass;
  RegisterClassW(&wc);
  window_ = CreateWindowExW(0, kClass, L"video", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                            wc.hInstance, nullptr);
  hasXWindow_ = window_ && WaitForXWindow(window_);
}

bool WaitForXWindow(HWND window, DWORD milliseconds) {
  return WaitUntil(milliseconds, [&] {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    return GetPropA(window, "__wine_x11_whole_window") != nullptr;
  });
}

TestWindow::~TestWindow() {
  if (window_) DestroyWindow(window_);
}
