#include "support/VlcBridge.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "support/TestPaths.h"

std::wstring BridgePlaceholderPath() { return ProgramFolder() + L"..\\libvlc-bridge\\libvlc.dll"; }

bool InstallBridge(const std::wstring& folder) {
  return CopyFileW(BridgePlaceholderPath().c_str(), (folder + L"libvlc.dll").c_str(), FALSE) != FALSE;
}

void UseDummyOutputs() { SetEnvironmentVariableW(L"KEL_VLC_BRIDGE_OUTPUT", L"dummy"); }

void RecordSoundInto(const std::wstring& path) {
  SetEnvironmentVariableW(L"KEL_VLC_BRIDGE_SOUND_FILE", path.empty() ? nullptr : path.c_str());
}

std::wstring HoldLibraryStartEntry(const std::wstring& releaseFile) {
  return L"KEL_VLC_BRIDGE_HOLD_NEW=" + releaseFile;
}

// The sizes in the header are left unfinished while the device is open: the
// samples run from the "data" chunk to the end of the file.
double LoudestSample(const std::wstring& wavPath) {
  std::string wav = ReadFileBytes(wavPath);
  auto little = [&](size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(wav[at + i]);
    return v;
  };
  if (wav.size() < 12 || wav.compare(0, 4, "RIFF") != 0 || wav.compare(8, 4, "WAVE") != 0) return -1;
  uint32_t format = 0, bits = 0;
  size_t at = 12;
  while (at + 8 <= wav.size()) {
    uint32_t size = little(at + 4, 4);
    if (wav.compare(at, 4, "fmt ") == 0 && at + 24 <= wav.size()) {
      format = little(at + 8, 2);
      bits = little(at + 22, 2);
    } else if (wav.compare(at, 4, "data") == 0) {
      at += 8;
      break;
    }
    at += 8 + size + (size & 1);
  }
  double loudest = -1;
  if (format == 1 && bits == 16) {
    for (; at + 2 <= wav.size(); at += 2)
      loudest = std::max(loudest, std::abs(static_cast<int16_t>(little(at, 2)) / 32768.0));
  } else if (format == 3 && bits == 32) {
    for (; at + 4 <= wav.size(); at += 4) {
      uint32_t raw = little(at, 4);
      float sample;
      memcpy(&sample, &raw, sizeof(sample));
      loudest = std::max(loudest, static_cast<double>(std::fabs(sample)));
    }
  }
  return loudest;
}

BridgeLog::BridgeLog() {
  folder_ = MakeTempFolder(L"kel-bridge-log");
  path_ = folder_ + L"calls.log";
  SetEnvironmentVariableW(L"KEL_VLC_BRIDGE_LOG", path_.c_str());
}

BridgeLog::~BridgeLog() {
  SetEnvironmentVariableW(L"KEL_VLC_BRIDGE_LOG", nullptr);
  RemoveTree(folder_);
}

std::vector<BridgeCall> BridgeLog::Calls() const {
  std::vector<BridgeCall> calls;
  std::string bytes = ReadFileBytes(path_);
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    start = end + 1;
    BridgeCall call;
    size_t from = 0;
    bool first = true;
    for (;;) {
      size_t tab = line.find('\t', from);
      std::string field = line.substr(from, tab == std::string::npos ? std::string::npos : tab - from);
      if (first) {
        call.function = field;
        first = false;
      } else if (field == "=") {
        call.hasResult = true;
      } else if (call.hasResult) {
        call.result = field;
      } else {
        call.fields.push_back(field);
      }
      if (tab == std::string::npos) break;
      from = tab + 1;
    }
    if (!call.function.empty()) calls.push_back(call);
  }
  return calls;
}

std::vector<BridgeCall> BridgeLog::Calls(const std::string& function) const {
  std::vector<BridgeCall> out;
  for (const BridgeCall& call : Calls())
    if (call.function == function) out.push_back(call);
  return out;
}

std::vector<std::string> BridgeLog::Functions() const {
  std::vector<std::string> out;
  for (const BridgeCall& call : Calls())
    if (call.function.find("_get_state") == std::string::npos) out.push_back(call.function);
  return out;
}

void BridgeLog::Clear() { DeleteFileW(path_.c_str()); }
