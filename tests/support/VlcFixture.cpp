#include "support/VlcFixture.h"

#include "engine/Settings.h"
#include "media/VlcPlayer.h"
#include "platform/WideText.h"
#include "support/ChildProcess.h"
#include "support/TestPaths.h"
#include "support/VlcBridge.h"

void VlcFixture::SetUp() {
  UseDummyOutputs();
  ResetSettingsToDefaults();
  install_ = MakeTempFolder(L"kel-vlc");
  media_ = MakeTempFolder(L"kel-media");
  ASSERT_TRUE(InstallBridge(install_)) << "no bridge placeholder at " << WideToUtf8(BridgePlaceholderPath());
  KEL_TARGETDIR = install_;
  player_.reset(new KEL_TamListPlayer());
  InitPlayer(nullptr);
  ASSERT_TRUE(GetVlcPlayer().IsOpen());
}

void VlcFixture::TearDown() {
  ReleasePlayer();
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
  WaitUntil(3000, [&] {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    return GetPropA(window_, "__wine_x11_whole_window") != nullptr;
  });
}

TestWindow::~TestWindow() {
  if (window_) DestroyWindow(window_);
}
