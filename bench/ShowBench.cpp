// Runs the show in-process on a 1024x768 window, with real libvlc through
// the bridge (tools/bench sets it up), and prints:
// - the CPU a held picture costs, against a bare loop on the same window in
//   the same run: a thread with a device like the show's that only polls its
//   messages and rests at the show's pace, the floor that Direct3D, the
//   window and Wine set. Counted to the nanosecond over every thread of the
//   process (libvlc's and the renderer's included), then again with the Wine
//   server's share, which does the waits and the window work; each the
//   median of a few windows, because other programs load the machine;
// - the time from one item's real end to the next item's start: from the
//   expiry of a picture's interval to the next picture's first presented
//   frame, and from the first poll at which libvlc reports an audio item
//   Ended to the next audio item's Playing.
// Targets: a held picture under 1% of one core and at most 1.5 times the bare
// loop; the next picture within one frame (median) and two (worst), the next
// audio item within two frames plus libvlc's own opening time.
#include <windows.h>
#include <d3d9.h>
#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "bench/BenchWindow.h"
#include "ProcStat.h"
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
    worker_.Start(window);
  }
  ~Show() { worker_.Stop(); }

 private:
  CScrSvrWorker worker_;
};

// CPU seconds of this process and of its Wine server.
struct Cpu {
  double program = 0;
  double server = 0;
};

struct Processes {
  std::vector<unsigned> program = FindThisProgram();
  std::vector<unsigned> server = FindWineServer();
};

Cpu CpuNow(const Processes& p) { return {PreciseCpuSeconds(p.program), PreciseCpuSeconds(p.server)}; }

struct Share {
  double percent = 0;         // program and server, of one core
  double programPercent = 0;  // the program alone
  double passesPerSecond = 0;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0.0 : values[values.size() / 2];
}

// The median share over `windows` windows of `seconds`, the window thread
// pumping throughout as it does for the show; `passes` counts loop passes.
template <typename Passes>
Share MeasureShare(const Processes& processes, int windows, double seconds, Passes passes) {
  std::vector<double> totals, programs, rates;
  for (int i = 0; i < windows; ++i) {
    Cpu c0 = CpuNow(processes);
    double wall0 = CHighResTimer::GetAbsoluteTime();
    int passes0 = passes();
    Pump(seconds);
    Cpu c1 = CpuNow(processes);
    double wall = CHighResTimer::GetAbsoluteTime() - wall0;
    programs.push_back(100.0 * (c1.program - c0.program) / wall);
    totals.push_back(programs.back() + 100.0 * (c1.server - c0.server) / wall);
    rates.push_back((passes() - passes0) / wall);
  }
  return {Median(totals), Median(programs), Median(rates)};
}

void PumpUntilSet(HANDLE event) {
  while (MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
}

// The floor: a thread with a device made as the show makes its own, on the
// same window, that presents one frame and then only polls its messages and
// rests 66 ms, under the same 1 ms timer period. The window thread pumps
// while the device is made and let go: both may send to the window.
class BareLoop {
 public:
  explicit BareLoop(HWND window) : window_(window) {
    ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Proc, this, 0, nullptr);
    PumpUntilSet(ready_);
  }
  ~BareLoop() {
    stop_ = true;
    PumpUntilSet(thread_);
    CloseHandle(thread_);
    CloseHandle(ready_);
  }
  bool HasDevice() const { return hasDevice_; }
  int Passes() const { return passes_.load(); }

 private:
  static DWORD WINAPI Proc(LPVOID self) {
    static_cast<BareLoop*>(self)->Loop();
    return 0;
  }
  void Loop() {
    timeBeginPeriod(1);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    IDirect3DDevice9* device = nullptr;
    if (d3d) {
      D3DDISPLAYMODE mode = {};
      d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);
      D3DPRESENT_PARAMETERS present = {};
      present.BackBufferFormat = mode.Format;
      present.SwapEffect = D3DSWAPEFFECT_DISCARD;
      present.Windowed = TRUE;
      d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &present,
                        &device);
    }
    if (device) {
      device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
      device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    hasDevice_ = device != nullptr;
    SetEvent(ready_);
    while (!stop_) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      ++passes_;
      Sleep(66);
    }
    if (device) device->Release();
    if (d3d) d3d->Release();
    timeEndPeriod(1);
  }

  HWND window_;
  HANDLE ready_ = nullptr;
  HANDLE thread_ = nullptr;
  std::atomic<bool> stop_{false};
  std::atomic<int> passes_{0};
  bool hasDevice_ = false;
};

// A picture held, against the bare loop: the CPU of each, measured without
// the benchmark's own trace sink (a user's show has none).
void MeasurePictureHold(HWND window, const Install& install, RegistrySandbox& registry) {
  constexpr int kWindows = 3;
  constexpr double kWindowSeconds = 4.0;
  Processes processes;
  if (processes.program.empty()) {
    printf("picture shown at 1024x768: this program's process was not found in /proc\n");
    return;
  }
  Share bare;
  {
    BareLoop loop(window);
    if (!loop.HasDevice()) {
      printf("picture shown at 1024x768: the bare loop got no device\n");
      return;
    }
    Pump(1.0);
    bare = MeasureShare(processes, kWindows, kWindowSeconds, [&] { return loop.Passes(); });
  }
  WriteCatalog(install, false);
  registry.SetDword(L"SliderVal_PictureTimeout", 60);
  Show show(window);
  if (!PumpUntil(30.0, L"SAVER_CHILD -> SAVER_PICONLYPLAYING_1")) {
    printf("picture shown at 1024x768: the picture never came up\n");
    return;
  }
  Pump(1.0);
  unsigned presents0 = Presents();
  SetTraceSinkForTests(nullptr);
  Share held = MeasureShare(processes, kWindows, kWindowSeconds, [] {
    CScrSvrThread* thread = GetScrSvrThread();
    return thread ? thread->GetFrameCount() : 0;
  });
  SetTraceSinkForTests(Record);
  unsigned presents = Presents() - presents0;
  auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
  printf("picture shown at 1024x768: %.2f%% of one core, bare loop %.2f%%, ratio %.2f\n", held.programPercent,
         bare.programPercent, ratio(held.programPercent, bare.programPercent));
  if (!processes.server.empty())
    printf("  (with the Wine server's share: %.2f%% and %.2f%%, ratio %.2f)\n", held.percent, bare.percent,
           ratio(held.percent, bare.percent));
  auto msAFrame = [](const Share& s) {
    return s.passesPerSecond > 0 ? 10.0 * s.programPercent / s.passesPerSecond : 0.0;
  };
  printf("  (%.3f and %.3f ms CPU a pass, %.1f and %.1f passes a second; %u frames presented while held; medians of "
         "%d windows of %.0f s)\n",
         msAFrame(held), msAFrame(bare), held.passesPerSecond, bare.passesPerSecond, presents, kWindows,
         kWindowSeconds);
  printf("target: under 1%% of one core, ratio at most 1.5\n");
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
  HWND window = CreateBenchWindow(L"KelBenchShow", L"show");
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
