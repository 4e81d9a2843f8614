// Runs the show in-process on a 1024x768 window, with real libvlc through
// the bridge (tools/bench sets it up), and prints:
// - the process CPU time per frame and per second while a picture is shown,
//   and the frames per second reached;
// - the time from one item's end to the next item's first frame, for
//   pictures and for audio.
// Targets: under 10% of one core while a picture is shown, about 15 frames a
// second, the next item within two frames plus libvlc's own opening time.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "engine/ScrSvrDevice.h"
#include "engine/ScrSvrThread.h"
#include "engine/Settings.h"
#include "media/ListPlayer.h"
#include "media/CatalogFixtures.h"
#include "platform/HighResTimer.h"
#include "platform/Trace.h"
#include "support/MediaFixtures.h"
#include "support/RegistrySandbox.h"
#include "support/TestPaths.h"
#include "support/VlcBridge.h"

namespace {

constexpr double kFramePeriod = 0.066;

struct Event {
  double time;
  std::wstring text;
};

std::mutex g_lock;
std::vector<Event> g_events;

void Record(const std::wstring& text) {
  double now = CHighResTimer::GetAbsoluteTime();
  std::lock_guard<std::mutex> hold(g_lock);
  g_events.push_back({now, text});
}

std::vector<Event> Events() {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_events;
}

bool Starts(const std::wstring& text, const wchar_t* prefix) { return text.compare(0, wcslen(prefix), prefix) == 0; }

double CpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto value = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return static_cast<double>(value(kernel) + value(user)) / 1e7;
}

int FrameCount() {
  int frames = 0;
  for (const Event& e : Events())
    if (Starts(e.text, L"frame ")) ++frames;
  return frames;
}

// While set, the window thread watches the player's state closely and notes
// each change as "player <state>": when an item really starts.
bool g_watchPlayer = false;

// Keeps the window thread answering while the show runs.
void Pump(double seconds) {
  double end = CHighResTimer::GetAbsoluteTime() + seconds;
  int lastState = -1;
  while (CHighResTimer::GetAbsoluteTime() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (g_watchPlayer) {
      int state = GetListPlayer() ? GetPlayerState() : -1;
      if (state != lastState) Record(L"player " + std::to_wstring(state));
      lastState = state;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, g_watchPlayer ? 2 : 20, QS_ALLINPUT);
  }
}

unsigned Presents() {
  CScrSvrDevice* device = GetScrSvrDevice();
  return device ? device->GetPresentCount() : 0;
}

bool PumpUntil(double seconds, const wchar_t* prefix) {
  double end = CHighResTimer::GetAbsoluteTime() + seconds;
  while (CHighResTimer::GetAbsoluteTime() < end) {
    for (const Event& e : Events())
      if (Starts(e.text, prefix)) return true;
    Pump(0.05);
  }
  return false;
}

HWND CreateBenchWindow() {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"KelBenchShow";
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  RegisterClassW(&wc);
  return CreateWindowExW(0, L"KelBenchShow", L"show", WS_POPUP | WS_VISIBLE, 0, 0, 1024, 768, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

CatalogNode Item(const wchar_t* element, const std::wstring& path) {
  std::wstring parent = path.substr(0, path.find_last_of(L'\\'));
  return {element, path.substr(path.find_last_of(L'\\') + 1), path, parent};
}

struct Install {
  std::wstring folder;
  std::vector<std::wstring> pictures;
  std::vector<std::wstring> audio;
};

bool MakeInstall(Install* install) {
  install->folder = MakeTempFolder(L"kel-bench-show");
  if (!InstallBridge(install->folder)) {
    fprintf(stderr, "no libvlc bridge beside the program (run through tools/bench)\n");
    return false;
  }
  MakeFolders(install->folder + L"kelconfig\\Scripts\\dialogs");
  const uint32_t colours[] = {0x2050A0, 0x208040, 0xA03020};
  for (int i = 0; i < 3; ++i) {
    std::wstring path = install->folder + L"picture" + std::to_wstring(i) + L".png";
    WriteFileBytes(path, MakeNumberedPng(1024, 768, colours[i], 0xE0E0E0, i + 1));
    install->pictures.push_back(path);
  }
  for (int i = 0; i < 2; ++i) {
    std::wstring path = install->folder + L"tone" + std::to_wstring(i) + L".wav";
    WriteFileBytes(path, MakeWav(1.5, 22050, 440.0 + 110.0 * i));
    install->audio.push_back(path);
  }
  return true;
}

void WriteCatalog(const Install& install, bool withAudio) {
  std::vector<CatalogNode> items;
  for (const std::wstring& p : install.pictures) items.push_back(Item(L"PICTURE", p));
  if (withAudio)
    for (const std::wstring& a : install.audio) items.push_back(Item(L"AUDIO", a));
  WriteFileBytes(install.folder + L"kelconfig\\Scripts\\dialogs\\catalog.xml", CatalogXml(items));
}

class Show {
 public:
  explicit Show(HWND window) {
    {
      std::lock_guard<std::mutex> hold(g_lock);
      g_events.clear();
    }
    DWORD id = 0;
    thread_ = StartScrSvrThread(window, &id);
  }
  ~Show() {
    StopScrSvrThread(thread_);
    if (thread_) CloseHandle(thread_);
  }

 private:
  HANDLE thread_ = nullptr;
};

// A picture held for ten seconds: CPU and frame rate over five of them.
void MeasurePictureHold(HWND window, const Install& install, RegistrySandbox& registry) {
  WriteCatalog(install, false);
  registry.SetDword(L"SliderVal_PictureTimeout", 10);
  Show show(window);
  if (!PumpUntil(30.0, L"SAVER_CHILD -> SAVER_PICONLYPLAYING_1")) {
    printf("picture hold: the picture never came up\n");
    return;
  }
  Pump(1.0);
  double cpu0 = CpuSeconds(), wall0 = CHighResTimer::GetAbsoluteTime();
  int frames0 = FrameCount();
  unsigned presents0 = Presents();
  Pump(5.0);
  double cpu = CpuSeconds() - cpu0, wall = CHighResTimer::GetAbsoluteTime() - wall0;
  int frames = FrameCount() - frames0;
  unsigned presents = Presents() - presents0;
  printf("picture shown at 1024x768: %.1f%% of one core, %.2f ms CPU a frame, %.1f frames a second "
         "(%.1f of them drawn, the rest unchanged)\n",
         100.0 * cpu / wall, frames ? 1000.0 * cpu / frames : 0.0, frames / wall, presents / wall);
}

// Pictures with a one-second interval and audio items in Local Image mode:
// from each item's end to the next one's first frame.
void MeasureItemChanges(HWND window, const Install& install, RegistrySandbox& registry) {
  WriteCatalog(install, true);
  registry.SetDword(L"SliderVal_PictureTimeout", 1);
  std::vector<Event> events;
  {
    Show show(window);
    g_watchPlayer = true;
    Pump(25.0);
    g_watchPlayer = false;
    events = Events();
  }
  std::vector<double> pictureGaps, audioGaps;
  std::wstring action;
  for (size_t i = 0; i < events.size(); ++i) {
    // An item ends where its playing action goes back to the choice.
    if (!Starts(events[i].text, L"SAVER_CHILD -> ")) continue;
    bool ended = action.find(L"PLAYING_1") != std::wstring::npos && events[i].text == L"SAVER_CHILD -> SAVER_SELECTNEXT_1";
    action = events[i].text;
    if (!ended) continue;
    double end = events[i].time;
    for (size_t j = i + 1; j < events.size(); ++j) {
      const std::wstring& t = events[j].text;
      if (t == L"SAVER_CHILD -> SAVER_PICONLYLOADING_1") {
        // The new picture is up at the first frame drawn after it loaded.
        for (size_t k = j + 1; k < events.size(); ++k)
          if (Starts(events[k].text, L"frame ")) {
            pictureGaps.push_back(events[k].time - end);
            break;
          }
        break;
      }
      if (t == L"SAVER_CHILD -> SAVER_PICAUDIOLOADING_1" || t == L"SAVER_CHILD -> SAVER_AUDIOVISUALLOADING_1") {
        // The audio starts when libvlc first reports it playing.
        for (size_t k = j + 1; k < events.size(); ++k)
          if (events[k].text == L"player 3") {
            audioGaps.push_back(events[k].time - end);
            break;
          }
        break;
      }
      if (t == L"SAVER_CHILD -> SAVER_SELECTNEXT_1") break;
    }
  }
  auto report = [](const char* what, std::vector<double> gaps) {
    if (gaps.empty()) {
      printf("%s: no item change seen\n", what);
      return;
    }
    std::sort(gaps.begin(), gaps.end());
    double median = gaps[gaps.size() / 2];
    printf("%s: %zu changes, median %.0f ms (%.1f frames), worst %.0f ms (%.1f frames)\n", what, gaps.size(),
           1000.0 * median, median / kFramePeriod, 1000.0 * gaps.back(), gaps.back() / kFramePeriod);
  };
  report("item end to next picture's first frame", pictureGaps);
  report("item end to next audio playing (libvlc's opening included)", audioGaps);
}

// libvlc's own share of an audio start: from the play request to playing,
// with no show around it (the median of five).
void MeasureLibvlcOpening(HWND window, const Install& install) {
  KEL_TARGETDIR = install.folder;
  std::vector<double> times;
  {
    KEL_TamListPlayer player;
    InitPlayer(window);
    for (int i = 0; i < 5; ++i) {
      double start = CHighResTimer::GetAbsoluteTime();
      PlayFile(install.audio[i % install.audio.size()]);
      while (GetPlayerState() != 3 && CHighResTimer::GetAbsoluteTime() - start < 10.0) Sleep(1);
      times.push_back(CHighResTimer::GetAbsoluteTime() - start);
      StopPlayer();
    }
    ReleasePlayer();
  }
  std::sort(times.begin(), times.end());
  printf("libvlc alone, play request to playing: median %.0f ms (%.1f frames)\n", 1000.0 * times[2],
         times[2] / kFramePeriod);
}

}  // namespace

int main() {
  SetTraceSinkForTests(Record);
  Install install;
  if (!MakeInstall(&install)) return 1;
  HWND window = CreateBenchWindow();
  if (!window) return 1;
  {
    RegistrySandbox registry;
    registry.SetText(L"KEL_TARGETDIR", install.folder);
    registry.SetDword(L"CurrentVisualIndex", 1);
    MeasurePictureHold(window, install, registry);
    MeasureItemChanges(window, install, registry);
    MeasureLibvlcOpening(window, install);
  }
  SetTraceSinkForTests(nullptr);
  RemoveTree(install.folder);
  return 0;
}
