// Helper of tools/demo, run under Wine:
//   kel_demo_media setup <install folder> [catalog to use]
//     makes demo media under the install folder, a catalog of them (or copies
//     the given one) and the registry values of a demo show;
//   kel_demo_media visual <mode>
//     sets the visualisation mode (CurrentVisualIndex) for the next show and
//     makes the built-in catalog's tone its first item;
//   kel_demo_media close
//     closes a running show the way a key press does.
//   kel_demo_media cancel-dialog
//     closes an open settings dialog with its Cancel button;
//   kel_demo_media setup-wallpaper <install folder> [catalog to use]
//     the same as setup for kelwall.exe, whose visualisation and power
//     settings are its own: the media alone, and it never gives way to the
//     system's saver;
//   kel_demo_media tray-double-click
//     sends kelwall's control window what a double click on its tray icon
//     sends (it opens the settings dialog);
//   kel_demo_media close-wallpaper
//     closes a running kelwall.exe the way its dialog's Close does.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/Settings.h"
#include "platform/Scoped.h"
#include "platform/ScreenSaverLibrary.h"
#include "platform/WideText.h"
#include "media/CatalogFixtures.h"
#include "support/MediaFixtures.h"
#include "support/TestPaths.h"
#include "wallpaper/TrayIcon.h"

namespace {

// "file:///C:/Demo/stream.y4m": how a catalog names a web item.
std::wstring FileUrl(const std::wstring& path) {
  std::wstring url = L"file:///";
  for (wchar_t c : path) url += c == L'\\' ? L'/' : c;
  return url;
}

CatalogNode Item(const wchar_t* element, const std::wstring& name, const std::wstring& path) {
  size_t cut = path.find_last_of(L"\\/");
  return {element, name, path, cut == std::wstring::npos ? path : path.substr(0, cut)};
}

void SetDword(HKEY key, const wchar_t* name, DWORD value) {
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

void SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

int Setup(std::wstring install, const wchar_t* userCatalog) {
  if (install.empty()) return 2;
  if (install.back() != L'\\') install += L'\\';
  std::wstring media = install + L"DemoMedia\\";
  CreateDirectoryW(media.c_str(), nullptr);

  // Pictures of the shapes a photo library holds: the screen's, a camera's
  // 3:2, a phone's portrait stored lying on its side (as phones store them,
  // with the EXIF tag that turns it upright) and a panorama.
  const uint32_t colours[][2] = {{0x2050A0, 0xE0C040}, {0x208040, 0xF0F0F0}, {0xA03020, 0x202020}, {0x603090, 0x40C0C0}};
  const int sizes[][2] = {{800, 600}, {900, 600}, {600, 900}, {1600, 500}};
  std::vector<CatalogNode> items;
  for (int i = 0; i < 4; ++i) {
    int width = sizes[i][0], height = sizes[i][1];
    std::vector<uint32_t> upright = NumberedPixels(width, height, colours[i][0], colours[i][1], i + 1);
    std::wstring path = media + L"picture" + std::to_wstring(i + 1) + (i == 2 ? L".jpg" : L".png");
    std::string file;
    if (i == 2) {
      std::vector<uint32_t> sideways(upright.size());  // turned a quarter anticlockwise: orientation 6
      for (int y = 0; y < width; ++y)
        for (int x = 0; x < height; ++x)
          sideways[static_cast<size_t>(y) * height + x] = upright[static_cast<size_t>(x) * width + (width - 1 - y)];
      file = MakeJpeg(height, width, sideways, 6);
    } else {
      file = MakePixelsPng(width, height, upright);
    }
    if (!WriteFileBytes(path, file)) return 1;
    items.push_back(Item(L"PICTURE", L"Picture " + std::to_wstring(i + 1), path));
  }
  std::wstring video = media + L"clip.y4m";
  if (!WriteFileBytes(video, MakeY4m(320, 240, 72, 12, 80, 90, 200))) return 1;
  items.push_back(Item(L"VIDEO", L"Clip", video));
  std::wstring audio = media + L"tone.wav";
  if (!WriteFileBytes(audio, MakeWav(6.0))) return 1;
  items.push_back(Item(L"AUDIO", L"Tone", audio));
  std::wstring web = media + L"stream.y4m";
  if (!WriteFileBytes(web, MakeY4m(320, 240, 60, 12, 150, 60, 80))) return 1;
  items.push_back(Item(L"WEBM", L"Stream", FileUrl(web)));
  CatalogNode folder = Item(L"FOLDER0", L"Demo", media.substr(0, media.size() - 1));
  folder.children = items;

  std::wstring catalogPath = install + L"kelconfig\\Scripts\\dialogs\\catalog.xml";
  if (userCatalog && *userCatalog) {
    if (!CopyFileW(userCatalog, catalogPath.c_str(), FALSE)) {
      fwprintf(stderr, L"cannot copy the catalog %ls\n", userCatalog);
      return 1;
    }
  } else if (!WriteFileBytes(catalogPath, CatalogXml({folder}))) {
    return 1;
  }

  RegistryKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.Receive(), nullptr) !=
      ERROR_SUCCESS)
    return 1;
  SetText(key, L"KEL_TARGETDIR", install);
  SetDword(key, L"CurrentVisualIndex", 1);  // Local Image: pictures between the other media
  SetDword(key, L"SliderVal_PictureTimeout", kMinimumPictureInterval);
  SetDword(key, L"RandomMedia", 0);
  SetDword(key, L"CurrentMediaIndex", static_cast<DWORD>(-1));
  SetDword(key, L"CurrentPictureIndex", static_cast<DWORD>(-1));
  return 0;
}

// The built-in catalog's media in order: the clip (0), the tone (1), the
// stream (2); the show starts after the saved index.
int Visual(const wchar_t* mode) {
  RegistryKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.Receive(), nullptr) !=
      ERROR_SUCCESS)
    return 1;
  SetDword(key, L"CurrentVisualIndex", static_cast<DWORD>(_wtoi(mode)));
  SetDword(key, L"RandomMedia", 0);
  SetDword(key, L"CurrentMediaIndex", 0);
  return 0;
}

int SetupWallpaper(const std::wstring& install, const wchar_t* userCatalog) {
  int result = Setup(install, userCatalog);
  if (result != 0) return result;
  RegistryKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.Receive(), nullptr) !=
      ERROR_SUCCESS)
    return 1;
  // Pictures are drawn in the show's own window, which kelwall keeps hidden;
  // what libvlc plays is what the desktop shows.
  SetDword(key, L"WP_CurrentVisualIndex", 0);
  SetDword(key, L"WP_CurrentPowerIndex", 0);
  return 0;
}

// kelwall's hidden control window.
HWND WallpaperWindow() { return FindWindowW(L"KelvaneAsApp", nullptr); }

int TrayDoubleClick() {
  HWND window = WallpaperWindow();
  if (!window) return 1;
  // The icon's callback message, as the shell posts it.
  PostMessageW(window, CTrayIcon::kCallbackMessage, CTrayIcon::kIconId, WM_LBUTTONDBLCLK);
  return 0;
}

int CloseWallpaper() {
  HWND window = WallpaperWindow();
  if (!window) return 1;
  PostMessageW(window, WM_CLOSE, 0, 0);
  return 0;
}

int Close() {
  HWND window = FindWindowW(kScreenSaverWindowClass, nullptr);
  if (!window) return 1;
  PostMessageW(window, WM_KEYDOWN, VK_SPACE, 0);
  return 0;
}

int CancelDialog() {
  HWND dialog = FindWindowW(L"#32770", L"Kelvane Screen Saver Settings");
  if (!dialog) return 1;
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"setup" && argc > 2) return Setup(argv[2], argc > 3 ? argv[3] : nullptr);
  if (command == L"visual" && argc > 2) return Visual(argv[2]);
  if (command == L"close") return Close();
  if (command == L"cancel-dialog") return CancelDialog();
  if (command == L"setup-wallpaper" && argc > 2) return SetupWallpaper(argv[2], argc > 3 ? argv[3] : nullptr);
  if (command == L"tray-double-click") return TrayDoubleClick();
  if (command == L"close-wallpaper") return CloseWallpaper();
  fwprintf(stderr,
           L"usage: kel_demo_media setup|setup-wallpaper <install folder> [catalog] | visual <mode> | close | "
           L"cancel-dialog | tray-double-click | close-wallpaper\n");
  return 2;
}
