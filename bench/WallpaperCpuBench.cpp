// What a wallpaper costs beyond playing its video: kelwall.exe playing a
// 640x360 clip as the wallpaper, against a bare libvlc program playing the
// same file the same way through the same libvlc.dll, each for the same
// time on the same display, and prints
//   wallpaper cpu: N% of a core, bare libvlc M%, ratio R
// Target: a ratio of at most 1.25.
//
// CPU time is what the kernel counts for the program's Unix process (all its
// threads, libvlc's included) plus the Wine server of this prefix, which does
// the program's window and message work; read from /proc through Wine's Z:
// drive, so nothing in the programs is changed for the measure.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ProcStat.h"
#include "engine/Settings.h"
#include "media/CatalogFixtures.h"
#include "platform/WideText.h"
#include "support/ChildProcess.h"
#include "support/MediaFixtures.h"
#include "support/RegistrySandbox.h"
#include "support/ScreenCapture.h"
#include "support/TestPaths.h"
#include "support/VlcBridge.h"

namespace {

constexpr DWORD kWarmUpMs = 10000;   // start-up, intro and the first frames
constexpr DWORD kMeasuredMs = 30000;

bool IsGreen(uint32_t rgb) {
  int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  return g > 150 && g > r + 60 && g > b + 60;
}

// Share of the screen's middle that shows the clip (green field, light bar).
int VideoShare() {
  ScreenCapture shot;
  int total = 0;
  int green = shot.Count(RECT{0, 150, shot.Width(), 620}, 16, IsGreen, &total);
  return total ? green * 100 / total : 0;
}

struct Measure {
  double cpuPercent = -1;
  double programPercent = -1;
  int videoShare = 0;
  bool found = false;
};

// Runs the program for the warm-up and the measured time and measures the
// second part; `stop` ends it.
template <typename Stop>
Measure Run(const std::wstring& program, const std::wstring& arguments, const char* name,
            const std::string& commandText, const std::vector<unsigned>& server, Stop stop) {
  Measure measure;
  ChildProcess child;
  if (!child.Start(program, arguments)) {
    fprintf(stderr, "%s did not start\n", name);
    return measure;
  }
  Sleep(kWarmUpMs);
  std::vector<unsigned> pids = FindProcesses(commandText);
  measure.found = !pids.empty() && child.IsRunning();
  if (!measure.found) {
    fprintf(stderr, "%s: no running process found (%s)\n", name,
            child.IsRunning() ? "it runs, its /proc entry was not found" : "it ended");
    stop(child);
    return measure;
  }
  const double program0 = CpuSeconds(pids), server0 = CpuSeconds(server);
  const DWORD t0 = GetTickCount();
  Sleep(kMeasuredMs);
  const double program1 = CpuSeconds(pids), server1 = CpuSeconds(server);
  const double wall = (GetTickCount() - t0) / 1000.0;
  measure.videoShare = VideoShare();
  if (!child.IsRunning()) fprintf(stderr, "%s ended before the measure did\n", name);
  measure.programPercent = 100.0 * (program1 - program0) / wall;
  measure.cpuPercent = 100.0 * ((program1 - program0) + (server1 - server0)) / wall;
  stop(child);
  return measure;
}

bool CopyTree(const std::wstring& from, const std::wstring& to) {
  CreateDirectoryW(to.c_str(), nullptr);
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW((from + L"*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  do {
    std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      ok = CopyTree(from + name + L"\\", to + name + L"\\") && ok;
    else
      ok = CopyFileW((from + name).c_str(), (to + name).c_str(), FALSE) && ok;
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return ok;
}

// Asks kelwall to close as its dialog's Close does, then waits for it.
void CloseWallpaper(ChildProcess& child) {
  if (HWND window = FindWindowW(L"KelvaneAsApp", nullptr)) PostMessageW(window, WM_CLOSE, 0, 0);
  if (!child.Wait(20000)) {
    fprintf(stderr, "kelwall.exe did not close; stopped\n");
    child.Kill();
  }
}

void KillBare(ChildProcess& child) { child.Kill(); }

}  // namespace

int main() {
  // The bench runs with the dummy outputs for the others; a wallpaper has to
  // be drawn to cost what it costs.
  SetEnvironmentVariableW(L"KEL_VLC_BRIDGE_OUTPUT", nullptr);
  SetEnvironmentVariableW(L"KEL_VLC_BRIDGE_LOG", nullptr);

  RegistrySandbox registry;
  const std::wstring install = MakeTempFolder(L"kel-wallbench") + L"Kelvane\\";
  if (!CopyTree(ProgramFolder() + L"..\\Kelvane\\", install) || !InstallBridge(install)) {
    fprintf(stderr, "cannot make the install folder\n");
    return 1;
  }
  // The field is RGB(0, 200, 0), so the screen shows whether it plays.
  const std::wstring clip = install + L"clip.y4m";
  if (!WriteFileBytes(clip, MakeY4m(640, 360, 200, 25, 117, 62, 44))) return 1;
  const std::wstring catalog = install + L"kelconfig\\Scripts\\dialogs\\catalog.xml";
  CatalogNode folder = {L"FOLDER0", L"Bench", install.substr(0, install.size() - 1), install};
  folder.children.push_back({L"VIDEO", L"Clip", clip, install.substr(0, install.size() - 1)});
  if (!WriteFileBytes(catalog, CatalogXml({folder}))) return 1;
  registry.SetText(L"KEL_TARGETDIR", install);
  registry.SetDword(L"WP_CurrentVisualIndex", 0);  // None: the video alone
  registry.SetDword(L"RandomMedia", 0);
  registry.SetDword(L"CurrentMediaIndex", static_cast<DWORD>(-1));

  const std::vector<unsigned> server = FindWineServer();
  if (server.empty()) fprintf(stderr, "no wine server found for this prefix; counting the programs alone\n");

  // No backslash before a closing quote: it would escape the quote.
  const std::wstring installArgument = install.substr(0, install.size() - 1);
  const Measure bare = Run(ProgramFolder() + L"kel_bare_player.exe", L"\"" + installArgument + L"\" \"" + clip + L"\"",
                           "kel_bare_player", WideToUtf8(clip), server, KillBare);
  Sleep(2000);
  const Measure wall =
      Run(install + L"kelwall.exe", L"", "kelwall", WideToUtf8(install + L"kelwall.exe"), server, CloseWallpaper);
  RemoveTree(install.substr(0, install.size() - 8));

  if (!bare.found || !wall.found) {
    printf("wallpaper cpu: not measured\n");
    return 1;
  }
  printf("wallpaper cpu: %.0f%% of a core, bare libvlc %.0f%%, ratio %.2f\n", wall.cpuPercent, bare.cpuPercent,
         bare.cpuPercent > 0 ? wall.cpuPercent / bare.cpuPercent : 0.0);
  printf("  (programs alone: kelwall %.0f%%, bare %.0f%%; over %lu s after %lu s of start-up; the clip covered %d%% "
         "and %d%% of the screen's middle)\n",
         wall.programPercent, bare.programPercent, static_cast<unsigned long>(kMeasuredMs / 1000),
         static_cast<unsigned long>(kWarmUpMs / 1000), wall.videoShare, bare.videoShare);
  return 0;
}
