// What a picture costs the show at 1024x768: a 6000x4000 JPEG (a 24-megapixel
// camera's) against a 1024x768 one. Each is measured in a fresh process of
// its own, so that its peak working set is its own:
// - picture load: the show's own load (LoadTexture) and the first frame
//   drawn with it;
// - decode alone: the same file decoded once by D3DX into a surface of the
//   size it is drawn at, the platform's floor, in the same process;
// - peak working set of the process after the load.
// Targets: the load at most 1.5 times the decode alone, and the large
// photo's peak within 50 MB of the small one's. For comparison, the peak of a
// process that only opens the file with the system's JPEG decoder (which may
// hold the whole decoded picture while it decodes: Wine's does).
#include <d3dx9.h>
#include <psapi.h>
#include <wincodec.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchClock.h"
#include "bench/BenchWindow.h"
#include "engine/Logic.h"
#include "engine/PictureFit.h"
#include "engine/ScrSvrApp.h"
#include "engine/ScrSvrDevice.h"
#include "engine/ScrSvrThread.h"
#include "platform/ComPtr.h"
#include "support/ChildProcess.h"
#include "support/MediaFixtures.h"
#include "support/RegistrySandbox.h"
#include "support/TestPaths.h"

namespace {

constexpr int kRuns = 3;

double PeakMegabytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return counters.PeakWorkingSetSize / (1024.0 * 1024.0);
}

// Smooth colour across the picture with some fine grain, so that it
// compresses about as a photo does.
std::vector<uint32_t> PhotoPixels(int width, int height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  uint32_t grain = 12345;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      grain = grain * 1103515245u + 12345u;
      uint32_t noise = (grain >> 16) & 0x1F;
      uint32_t r = static_cast<uint32_t>(x) * 200 / width + noise;
      uint32_t g = static_cast<uint32_t>(y) * 200 / height + noise;
      uint32_t b = 96 + noise * 2;
      pixels[static_cast<size_t>(y) * width + x] = (r << 16) | (g << 8) | b;
    }
  return pixels;
}

// The child's side: the show built on a window of its own, one picture
// loaded and drawn, then the same file through D3DX alone. Writes
// "<load ms> <decode ms> <peak MB>" into the result file.
int Measure(const std::wstring& picture, const std::wstring& warmUp, const std::wstring& result, bool decoderOnly) {
  HWND window = CreateBenchWindow(L"KelBenchPicture", L"picture");
  if (!window) return 1;
  CScrSvrThread show(window);
  CScrSvrApp* app = GetScrSvrApp();
  IDirect3DDevice9* device = GetScrSvrDevice()->GetDevice();
  // Both roads once on a small file, so that neither pays for loading its
  // libraries in the figures.
  app->LoadTexture(warmUp);
  D3DXIMAGE_INFO info = {};
  IDirect3DSurface9* surface = nullptr;
  device->CreateOffscreenPlainSurface(64, 64, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &surface, nullptr);
  D3DXLoadSurfaceFromFileW(surface, nullptr, nullptr, warmUp.c_str(), nullptr, D3DX_DEFAULT, 0, nullptr);
  surface->Release();
  app->ReleaseTexture();

  double peak = 0;
  double start = BenchSeconds();
  if (decoderOnly) {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    BYTE pixel[4];
    WICRect first = {0, 0, 1, 1};
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWICImagingFactory),
                                reinterpret_cast<void**>(factory.Receive()))) ||
        FAILED(factory->CreateDecoderFromFilename(picture.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, decoder.Receive())) ||
        FAILED(decoder->GetFrame(0, frame.Receive())) || FAILED(frame->CopyPixels(&first, 4, 4, pixel)))
      return 1;
    return WriteFileBytes(result, "0 0 " + std::to_string(PeakMegabytes())) ? 0 : 1;
  }
  ForcePictureRender = 1;
  if (!app->LoadTexture(picture)) return 1;
  GetScrSvrDevice()->RenderFrame();
  double load = BenchSeconds() - start;
  peak = PeakMegabytes();

  if (FAILED(D3DXGetImageInfoFromFileW(picture.c_str(), &info))) return 1;
  PictureRect fit = FitPicture(static_cast<int>(info.Width), static_cast<int>(info.Height), 1024, 768);
  start = BenchSeconds();
  device->CreateOffscreenPlainSurface(fit.width, fit.height, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &surface, nullptr);
  HRESULT hr = D3DXLoadSurfaceFromFileW(surface, nullptr, nullptr, picture.c_str(), nullptr, D3DX_DEFAULT, 0, nullptr);
  double decode = BenchSeconds() - start;
  surface->Release();
  if (FAILED(hr)) return 1;
  char line[128];
  snprintf(line, sizeof(line), "%f %f %f", load * 1000.0, decode * 1000.0, peak);
  return WriteFileBytes(result, line) ? 0 : 1;
}

struct Figures {
  double load = 0, decode = 0, peak = 0;
};

// The median of the runs' times, the largest of their peaks.
bool MeasureInChildren(const std::wstring& picture, const std::wstring& warmUp, const std::wstring& folder,
                       bool decoderOnly, Figures* figures) {
  std::vector<double> loads, decodes;
  for (int run = 0; run < kRuns; ++run) {
    std::wstring result = folder + L"result.txt";
    DeleteFileW(result.c_str());
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    ChildProcess child;
    std::wstring arguments = std::wstring(decoderOnly ? L"decoder" : L"measure") + L" \"" + picture + L"\" \"" +
                             warmUp + L"\" \"" + result + L"\"";
    if (!child.Start(self, arguments) || !child.Wait(120000) || child.ExitCode() != 0) return false;
    Figures one;
    if (sscanf(ReadFileBytes(result).c_str(), "%lf %lf %lf", &one.load, &one.decode, &one.peak) != 3) return false;
    loads.push_back(one.load);
    decodes.push_back(one.decode);
    figures->peak = std::max(figures->peak, one.peak);
  }
  std::sort(loads.begin(), loads.end());
  std::sort(decodes.begin(), decodes.end());
  figures->load = loads[kRuns / 2];
  figures->decode = decodes[kRuns / 2];
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 5 && std::wstring(argv[1]) == L"measure") return Measure(argv[2], argv[3], argv[4], false);
  if (argc == 5 && std::wstring(argv[1]) == L"decoder") return Measure(argv[2], argv[3], argv[4], true);

  std::wstring folder = MakeTempFolder(L"kel-bench-picture");
  std::wstring warmUp = folder + L"warm-up.jpg";
  WriteFileBytes(warmUp, MakeJpeg(64, 48, PhotoPixels(64, 48)));
  const int sizes[][2] = {{1024, 768}, {6000, 4000}};
  Figures figures[2], decoders[2];
  {
    RegistrySandbox registry;  // the children's show reads its defaults
    for (int i = 0; i < 2; ++i) {
      int width = sizes[i][0], height = sizes[i][1];
      std::wstring picture = folder + L"photo-" + std::to_wstring(width) + L".jpg";
      if (!WriteFileBytes(picture, MakeJpeg(width, height, PhotoPixels(width, height)))) {
        printf("could not make the %dx%d picture\n", width, height);
        return 1;
      }
      if (!MeasureInChildren(picture, warmUp, folder, false, &figures[i]) ||
          !MeasureInChildren(picture, warmUp, folder, true, &decoders[i])) {
        printf("picture load %dx%d jpeg: the measuring process failed\n", width, height);
        return 1;
      }
    }
  }
  for (int i = 1; i >= 0; --i) {
    const Figures& f = figures[i];
    printf("picture load %dx%d jpeg: %.0f ms, decode alone %.0f ms, ratio %.2f, peak working set %.0f MB\n",
           sizes[i][0], sizes[i][1], f.load, f.decode, f.decode > 0 ? f.load / f.decode : 0.0, f.peak);
  }
  printf("  (the large photo's peak %.0f MB above the small one's; targets: ratio at most 1.5, within 50 MB)\n",
         figures[1].peak - figures[0].peak);
  printf("  (the system's JPEG decoder alone opening each file: peak %.0f MB and %.0f MB, %.0f MB apart)\n",
         decoders[1].peak, decoders[0].peak, decoders[1].peak - decoders[0].peak);
  RemoveTree(folder);
  return 0;
}
