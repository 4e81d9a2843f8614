// Runs the show in-process on a 1024x768 window, with real libvlc through
// the bridge (tools/bench sets it up), and prints:
// - the process CPU time per frame and per second while a picture is shown,
//   and the frames per second reached;
// - the time from one item's real end to the next item's start: from the
//   expiry of a picture's interval to the next picture's first presented
//   frame, and from the first poll at which libvlc reports an audio item
//   Ended to the next audio item's Playing.
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
  unsigned presents;  // frames: the device's presents so far
};

std::mutex g_lock;
std::vector<Event> g_events;

// Frame lines come from the worker right after its device frame, so the
// present count read here tells whether that frame was presented.
void Record(const std::wstring& text) {
  double now = CHighResTimer::GetAbsoluteTime();
  unsigned presents = 0;
  if (text.compare(0, 6, L"frame ") == 0)
    if (CScrSvrDevice* device = GetScrSvrDevice()) presents = device->GetPresentCount();
  std::lock_guard<std::mutex> hold(g_lock);
  g_events.push_back({now, text, presents});
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

void WriteCatalog(const Install& install, bool withAudio, bool withPictures = true) {
  std::vector<CatalogNode> items;
  if (withPictures)
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

bool IsAudioPlaying(const std::wstring& text) {
  return text == L"SAVER_CHILD -> SAVER_PICAUDIOPLAYING_1" || text == L"SAVER_CHILD -> SAVER_AUDIOVISUALPLAYING_1";
}

bool IsAudioLoading(const std::wstring& text) {
  return text == L"SAVER_CHILD -> SAVER_PICAUDIOLOADING_1" || text == L"SAVER_CHILD -> SAVER_AUDIOVISUALLOADING_1";
}

struct PictureGap {
  double total;   // expiry to the first presented frame
  double notice;  // expiry to the show's switch to the choice
};

// From a picture's real end, the moment its interval ran out (it went up when
// its playing action was entered), to the first presented frame after the
// next picture was loaded; only when a picture follows a picture.
std::vector<PictureGap> PictureGaps(const std::vector<Event>& events, double interval) {
  // The show's action switches, by their place in the events.
  std::vector<size_t> switches;
  for (size_t i = 0; i < events.size(); ++i)
    if (Starts(events[i].text, L"SAVER_CHILD -> ")) switches.push_back(i);
  std::vector<PictureGap> gaps;
  for (size_t s = 0; s + 2 < switches.size(); ++s) {
    const Event& shown = events[switches[s]];
    if (shown.text != L"SAVER_CHILD -> SAVER_PICONLYPLAYING_1" ||
        events[switches[s + 1]].text != L"SAVER_CHILD -> SAVER_SELECTNEXT_1" ||
        events[switches[s + 2]].text != L"SAVER_CHILD -> SAVER_PICONLYLOADING_1")
      continue;
    double expiry = shown.time + interval;
    size_t loading = switches[s + 2];
    unsigned presentsBefore = 0;
    for (size_t k = loading; k-- > 0;)
      if (Starts(events[k].text, L"frame ")) {
        presentsBefore = events[k].presents;
        break;
      }
    for (size_t k = loading + 1; k < events.size(); ++k)
      if (Starts(events[k].text, L"frame ") && events[k].presents > presentsBefore) {
        gaps.push_back({events[k].time - expiry, events[switches[s + 1]].time - expiry});
        break;
      }
  }
  return gaps;
}

// From the first poll at which libvlc reported an audio item Ended (the
// window thread polls every few milliseconds) to the next audio item's first
// Playing; only when audio follows audio.
std::vector<double> AudioGaps(const std::vector<Event>& events) {
  std::vector<double> gaps;
  bool inAudio = false;
  double ended = -1;
  bool awaitingNext = false;
  bool nextLoading = false;
  for (const Event& e : events) {
    if (Starts(e.text, L"SAVER_CHILD -> ")) {
      if (IsAudioPlaying(e.text)) {
        inAudio = true;
        ended = -1;
      } else if (awaitingNext && IsAudioLoading(e.text)) {
        nextLoading = true;
      } else if (awaitingNext && !nextLoading && e.text != L"SAVER_CHILD -> SAVER_SELECTNEXT_1") {
        awaitingNext = false;  // something else came next
      } else if (inAudio && e.text == L"SAVER_CHILD -> SAVER_SELECTNEXT_1") {
        inAudio = false;
        awaitingNext = ended >= 0;
        nextLoading = false;
      }
      continue;
    }
    if (inAudio && ended < 0 && e.text == L"player 6") ended = e.time;
    if (awaitingNext && nextLoading && e.text == L"player 3") {
      gaps.push_back(e.time - ended);
      awaitingNext = false;
    }
  }
  return gaps;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0.0 : values[values.size() / 2];
}

void Report(const char* what, std::vector<double> gaps) {
  if (gaps.empty()) {
    printf("%s: no item change seen\n", what);
    return;
  }
  std::sort(gaps.begin(), gaps.end());
  double median = Median(gaps);
  printf("%s: median %.0f ms, worst %.0f ms\n", what, 1000.0 * median, 1000.0 * gaps.back());
  printf("  (%zu changes; median %.1f frames, worst %.1f frames)\n", gaps.size(), median / kFramePeriod,
         gaps.back() / kFramePeriod);
}

std::vector<Event> RunShow(HWND window, double seconds) {
  Show show(window);
  g_watchPlayer = true;
  Pump(seconds);
  g_watchPlayer = false;
  return Events();
}

// In Local Image mode, pictures with the shortest interval and audio items
// together, then each alone (so that pictures follow pictures and audio
// follows audio often enough); from each item's real end to the next one's
// start.
void MeasureItemChanges(HWND window, const Install& install, RegistrySandbox& registry) {
  const int interval = kMinimumPictureInterval;
  registry.SetDword(L"SliderVal_PictureTimeout", interval);
  WriteCatalog(install, true);
  std::vector<Event> mixed = RunShow(window, 30.0);
  WriteCatalog(install, false);
  std::vector<Event> picturesOnly = RunShow(window, 30.0);
  WriteCatalog(install, true, false);
  std::vector<Event> audioOnly = RunShow(window, 15.0);

  std::vector<PictureGap> pictures = PictureGaps(mixed, interval);
  for (const PictureGap& g : PictureGaps(picturesOnly, interval)) pictures.push_back(g);
  std::vector<double> totals, notices, loads;
  for (const PictureGap& g : pictures) {
    totals.push_back(g.total);
    notices.push_back(g.notice);
    loads.push_back(g.total - g.notice);
  }
  Report("picture end to next picture's first frame", totals);
  if (!pictures.empty())
    printf("  (of which the show noticing the end: median %.0f ms; loading and drawing the picture: median %.0f ms)\n",
           1000.0 * Median(notices), 1000.0 * Median(loads));
  std::vector<double> audio = AudioGaps(mixed);
  for (double gap : AudioGaps(audioOnly)) audio.push_back(gap);
  Report("audio end to next audio playing", audio);
  printf("target: within two frames (133 ms) plus libvlc's own opening time (below)\n");
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
