#include "support/VlcBridge.h"

#include <windows.h>

#include "support/TestPaths.h"

std::wstring BridgePlaceholderPath() { return ProgramFolder() + L"..\\libvlc-bridge\\libvlc.dll"; }

bool InstallBridge(const std::wstring& folder) {
  return CopyFileW(BridgePlaceholderPath().c_str(), (folder + L"libvlc.dll").c_str(), FALSE) != FALSE;
}

void UseDummyOutputs() { SetEnvironmentVariableW(L"KEL_VLC_BRIDGE_OUTPUT", L"dummy"); }

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
