// What a change of visualisation mode costs: the visual options are libvlc
// instance arguments, so the first item of a mode makes an instance (and its
// players); a mode used before finds its instance kept. Times from the
// options to the item started, and the process's memory per instance.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

#include "bench/BenchClock.h"
#include "engine/Settings.h"
#include "media/ListPlayer.h"
#include "media/VisualOptions.h"
#include "media/VlcPlayer.h"
#include "support/MediaFixtures.h"
#include "support/TestPaths.h"
#include "support/VlcBridge.h"

namespace {

// The working set: under Wine it covers libvlc's own (Linux) memory too.
double PrivateMegabytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return counters.WorkingSetSize / (1024.0 * 1024.0);
}

// Options, media, start; then waits for the item to end so the next starts
// from a quiet player.
double StartItem(VisualMode mode, const std::wstring& wav) {
  double start = BenchSeconds();
  ApplyVisualOptions(mode);
  PlayFile(wav);
  double took = BenchSeconds() - start;
  DWORD began = GetTickCount();
  while (GetPlayerState() != 6 && GetPlayerState() != 7 && GetTickCount() - began < 5000) Sleep(10);
  return took;
}

}  // namespace

int main() {
  std::wstring folder = MakeTempFolder(L"kel-bench-visual");
  if (!InstallBridge(folder)) {
    std::printf("no bridge placeholder at %ls\n", BridgePlaceholderPath().c_str());
    return 1;
  }
  std::wstring wav = folder + L"tone.wav";
  WriteFileBytes(wav, MakeWav(0.2));
  ResetSettingsToDefaults();
  KEL_TARGETDIR = folder;
  {
    KEL_TamListPlayer player;
    double before = PrivateMegabytes();
    double start = BenchSeconds();
    InitPlayer(nullptr);
    std::printf("library opened: %.1f ms, %.1f MB working set (%.1f MB before)\n", (BenchSeconds() - start) * 1000.0,
                PrivateMegabytes(), before);
    const struct {
      VisualMode mode;
      const char* name;
    } kRoad[] = {
        {VisualModeNone, "None, new"}, {VisualModeNone, "None again"},     {VisualModeScope, "Scope, new"},
        {VisualModeSpectrum, "Spectrum, new"}, {VisualModeScope, "Scope, kept"},   {VisualModeNone, "None, kept"},
        {VisualModeVuMeter, "VU Meter, new"},  {VisualModeVuMeter, "VU Meter again"},
    };
    std::printf("options to item started (instances in use and kept after it):\n");
    for (const auto& step : kRoad) {
      double took = StartItem(step.mode, wav);
      std::printf("  %-20s %8.1f ms   %.1f MB working set\n", step.name, took * 1000.0, PrivateMegabytes());
    }
    ReleasePlayer();
  }
  RemoveTree(folder);
  return 0;
}
