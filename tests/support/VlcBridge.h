#pragma once
#include <string>
#include <vector>

// Reaching real libvlc under Wine through tools/libvlc-bridge: the
// placeholder libvlc.dll for an install folder, the bridge's dummy outputs
// and its call log.

// The placeholder PE built beside the bridge (build/libvlc-bridge).
std::wstring BridgePlaceholderPath();

// Copies the placeholder into the folder (which ends with a backslash).
bool InstallBridge(const std::wstring& folder);

// libvlc instances made from now on use the dummy audio and video outputs.
void UseDummyOutputs();

// Without the dummy outputs, libvlc instances made from now on send their
// sound into a WAV file (through ALSA's "file" device), as it would reach a
// sound card; an empty path ends this for the instances made after.
void RecordSoundInto(const std::wstring& path);

// The environment entry ("NAME=value") for a program a test starts: its
// libvlc_new waits until the file exists, which holds the program where it
// opens libvlc. The bridge's log then has a "libvlc_new_held" line.
std::wstring HoldLibraryStartEntry(const std::wstring& releaseFile);

// The loudest sample of such a recording (16-bit or float samples) as a
// fraction of full scale; -1 when the file holds no samples.
double LoudestSample(const std::wstring& wavPath);

// One call as the bridge logged it: the function, then its fields (handles,
// numbers, texts), and the result after "=" when the function has one.
struct BridgeCall {
  std::string function;
  std::vector<std::string> fields;
  bool hasResult = false;
  std::string result;
};

// Logs the bridge's calls to a fresh file while it lives.
class BridgeLog {
 public:
  BridgeLog();
  ~BridgeLog();
  BridgeLog(const BridgeLog&) = delete;
  BridgeLog& operator=(const BridgeLog&) = delete;

  std::vector<BridgeCall> Calls() const;
  // The calls of one function, in order.
  std::vector<BridgeCall> Calls(const std::string& function) const;
  // The function names in order, leaving out the state polls.
  std::vector<std::string> Functions() const;
  void Clear();

 private:
  std::wstring folder_;
  std::wstring path_;
};
