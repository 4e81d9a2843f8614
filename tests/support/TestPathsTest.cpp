// The tests' own folders: removal takes only what a test made, and a folder
// that cannot be made stops the test rather than send its files elsewhere.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/WideText.h"
#include "support/CurrentDirectoryMarker.h"
#include "support/TestPaths.h"
#include "support/XDisplay.h"

namespace {

std::vector<std::string> g_reports;
void Collect(const std::string& message) { g_reports.push_back(message); }

// RemoveTree's refusals, kept for the test to read instead of failing it.
class CollectedReports {
 public:
  CollectedReports() {
    g_reports.clear();
    previous_ = SetTestPathFailureReporter(Collect);
  }
  ~CollectedReports() { SetTestPathFailureReporter(previous_); }
  const std::vector<std::string>& Reports() const { return g_reports; }

 private:
  TestPathFailureReporter previous_ = nullptr;
};

bool Exists(const std::wstring& path) {
  return GetFileAttributesW((L"\\\\?\\" + path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The current directory for a while, put back however the test ends.
class ScopedCurrentDirectory {
 public:
  explicit ScopedCurrentDirectory(const std::wstring& folder) {
    wchar_t current[MAX_PATH * 4] = {};
    GetCurrentDirectoryW(MAX_PATH * 4, current);
    previous_ = current;
    changed_ = SetCurrentDirectoryW(folder.c_str()) != FALSE;
  }
  ~ScopedCurrentDirectory() { SetCurrentDirectoryW(previous_.c_str()); }
  bool Changed() const { return changed_; }

 private:
  std::wstring previous_;
  bool changed_ = false;
};

class ScopedVariable {
 public:
  ScopedVariable(const wchar_t* name, const std::wstring& value) : name_(name) {
    wchar_t kept[32768] = {};
    had_ = GetEnvironmentVariableW(name, kept, 32768) > 0;
    kept_ = kept;
    SetEnvironmentVariableW(name, value.c_str());
  }
  ~ScopedVariable() { SetEnvironmentVariableW(name_, had_ ? kept_.c_str() : nullptr); }

 private:
  const wchar_t* name_;
  std::wstring kept_;
  bool had_ = false;
};

}  // namespace

// As FolderScanTest and the dialog's drop tests make them: names beyond
// MAX_PATH. The shell's own delete would empty the current directory instead.
TEST(RemoveTree, RemovesNamesBeyondMaxPathAndLeavesTheCurrentDirectoryAlone) {
  CurrentDirectoryMarker current;
  std::wstring folder = MakeTempFolder(L"kel-long");
  std::wstring deepest = folder + L"long";
  ASSERT_TRUE(CreateDirectoryW(deepest.c_str(), nullptr));
  for (int i = 0; deepest.size() < 330; ++i) {
    deepest += L"\\" + std::wstring(40, static_cast<wchar_t>(L'a' + i));
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deepest).c_str(), nullptr));
  }
  ASSERT_TRUE(WriteFileBytes(L"\\\\?\\" + deepest + L"\\clip.mp4", "x"));
  ASSERT_TRUE(WriteFileBytes(folder + L"near.txt", "x"));
  ASSERT_TRUE(SetFileAttributesW((folder + L"near.txt").c_str(), FILE_ATTRIBUTE_READONLY));

  RemoveTree(folder);
  EXPECT_FALSE(Exists(deepest + L"\\clip.mp4"));
  EXPECT_FALSE(Exists(folder));
  EXPECT_TRUE(current.MarkerSurvives());
}

TEST(RemoveTree, RefusesWhatNoTestMade) {
  std::wstring made = MakeTempFolder(L"kel-refuse");
  ASSERT_TRUE(WriteFileBytes(made + L"keep.txt", "keep"));
  // Named like a folder of ours, beside it, but not made by MakeTempFolder.
  std::wstring stray = made.substr(0, made.size() - 1) + L"-stray";
  ASSERT_TRUE(CreateDirectoryW(stray.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(stray + L"\\keep.txt", "keep"));
  std::wstring strayName = stray.substr(stray.find_last_of(L'\\') + 1);

  const struct {
    std::wstring path;
    const char* reason;
  } cases[] = {
      {L"", "an empty path"},
      {L"kel-relative", "not a full path"},
      {L"C:kel-relative", "not a full path"},
      {L"\\kel-rooted", "not a full path"},
      {L"C:\\", "a drive root"},
      {L"c:/", "a drive root"},
      {L"C:\\windows\\..", "a drive root"},
      {stray, "not inside a folder that MakeTempFolder made"},
      {made + L"..\\" + strayName, "not inside a folder that MakeTempFolder made"},
  };
  for (const auto& c : cases) {
    CollectedReports reports;
    RemoveTree(c.path);
    ASSERT_EQ(reports.Reports().size(), 1u) << WideToUtf8(c.path);
    const std::string& report = reports.Reports()[0];
    EXPECT_NE(report.find("\"" + WideToUtf8(c.path) + "\""), std::string::npos) << report;
    EXPECT_NE(report.find(c.reason), std::string::npos) << report;
  }
  EXPECT_EQ(ReadFileBytes(stray + L"\\keep.txt"), "keep");
  EXPECT_EQ(ReadFileBytes(made + L"keep.txt"), "keep");

  DeleteFileW((stray + L"\\keep.txt").c_str());
  RemoveDirectoryW(stray.c_str());
  CollectedReports none;
  RemoveTree(made);
  EXPECT_TRUE(none.Reports().empty());
  EXPECT_FALSE(Exists(made));
}

TEST(RemoveTree, RefusesTheCurrentDirectoryAndTheFoldersHoldingIt) {
  std::wstring made = MakeTempFolder(L"kel-holds-current");
  std::wstring deeper = made + L"sub\\deeper";
  ASSERT_TRUE(CreateDirectoryW((made + L"sub").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(deeper.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(deeper + L"\\keep.txt", "keep"));
  {
    ScopedCurrentDirectory current(deeper);
    ASSERT_TRUE(current.Changed());
    for (const std::wstring& path : {made, made + L"sub", deeper, deeper + L"\\", made + L"SUB\\Deeper"}) {
      CollectedReports reports;
      RemoveTree(path);
      ASSERT_EQ(reports.Reports().size(), 1u) << WideToUtf8(path);
      EXPECT_NE(reports.Reports()[0].find("the current directory"), std::string::npos) << reports.Reports()[0];
    }
    EXPECT_EQ(ReadFileBytes(deeper + L"\\keep.txt"), "keep");
  }
  RemoveTree(made);
  EXPECT_FALSE(Exists(made));
}

// Wine links a user's Desktop, Documents and Music to their Unix home with
// Unix links, and deletes through such a link whatever it leads to.
TEST(RemoveTree, LinksGoButNeverWhatTheyLeadTo) {
  std::wstring outside = MakeTempFolder(L"kel-outside");
  ASSERT_TRUE(WriteFileBytes(outside + L"keep.txt", "keep"));
  ASSERT_TRUE(WriteFileBytes(outside + L"file.txt", "file"));
  std::wstring emptyOutside = MakeTempFolder(L"kel-outside-empty");
  std::wstring folder = MakeTempFolder(L"kel-links");
  ASSERT_TRUE(CreateDirectoryW((folder + L"sub").c_str(), nullptr));
  const struct {
    std::wstring link;
    std::wstring target;
  } links[] = {
      {folder + L"folder-link", outside},
      {folder + L"empty-folder-link", emptyOutside},
      {folder + L"file-link", outside + L"file.txt"},
      {folder + L"sub\\deeper-link", outside},
  };
  for (const auto& l : links) {
    std::string target = UnixPathOf(l.target), link = UnixPathOf(l.link);
    ASSERT_FALSE(target.empty() || link.empty()) << "no Unix paths: not under Wine";
    ASSERT_TRUE(RunOnXDisplay("ln -s '" + target + "' '" + link + "'")) << link;
    ASSERT_TRUE(Exists(l.link)) << link;
  }

  RemoveTree(folder);
  EXPECT_FALSE(Exists(folder));
  EXPECT_EQ(ReadFileBytes(outside + L"keep.txt"), "keep");
  EXPECT_EQ(ReadFileBytes(outside + L"file.txt"), "file");
  EXPECT_TRUE(Exists(emptyOutside));
  RemoveTree(outside);
  RemoveTree(emptyOutside);
}

// A temp folder that takes no new folder: MakeTempFolder says so, naming it,
// and hands out nothing (callers once wrote into the current directory).
TEST(MakeTempFolder, StopsTheTestWhenNoFolderCanBeMade) {
  std::wstring parent = MakeTempFolder(L"kel-no-temp");
  std::wstring missing = parent + L"missing";
  {
    ScopedVariable tmp(L"TMP", missing);
    ScopedVariable temp(L"TEMP", missing);
    try {
      std::wstring made = MakeTempFolder(L"kel-nowhere");
      ADD_FAILURE() << "handed out " << WideToUtf8(made);
    } catch (const std::runtime_error& error) {
      EXPECT_NE(std::string(error.what()).find(WideToUtf8(missing)), std::string::npos) << error.what();
    }
  }
  RemoveTree(parent);
}
