#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "engine/InstanceCheck.h"
#include "engine/ProgramVariant.h"
#include "support/ChildProcess.h"
#include "support/TestPaths.h"

namespace {

// Copies of the sleeper under the programs' names stand for running shows.
class RunningPrograms {
 public:
  RunningPrograms() : folder_(MakeTempFolder(L"kel-instances")) {}
  ~RunningPrograms() {
    processes_.clear();
    RemoveTree(folder_);
  }
  bool Start(const std::wstring& name) {
    std::wstring path = folder_ + std::to_wstring(processes_.size()) + L"\\";
    CreateDirectoryW(path.c_str(), nullptr);
    path += name;
    if (!CopyFileW((ProgramFolder() + L"kel_sleeper.exe").c_str(), path.c_str(), FALSE)) return false;
    processes_.emplace_back(new ChildProcess());
    if (!processes_.back()->Start(path, L"60")) return false;
    // Wait until the new process can be seen by name.
    DWORD id = processes_.back()->Id();
    return WaitUntil(10000, [id] {
      std::vector<DWORD> ids = EnumerateProcessIds();
      return std::find(ids.begin(), ids.end(), id) != ids.end();
    });
  }
  void StopAll() { processes_.clear(); }

 private:
  std::wstring folder_;
  std::vector<std::unique_ptr<ChildProcess>> processes_;
};

}  // namespace

TEST(InstanceCheck, ScreenSaverRule) {
  ASSERT_FALSE(IsWallpaperProgram());
  EXPECT_FALSE(IsAnotherInstanceByRule(1, false));
  EXPECT_FALSE(IsAnotherInstanceByRule(2, false));
  EXPECT_TRUE(IsAnotherInstanceByRule(3, false));
  EXPECT_TRUE(IsAnotherInstanceByRule(1, true));
}

TEST(InstanceCheck, EnumerationFindsThisProcess) {
  std::vector<DWORD> ids = EnumerateProcessIds();
  EXPECT_NE(std::find(ids.begin(), ids.end(), GetCurrentProcessId()), ids.end());
}

// The test program itself has another name: only the copies count.
TEST(InstanceCheck, CountsScreenSaverProcessesByName) {
  EXPECT_FALSE(IsAnotherInstanceRunning(nullptr));
  EXPECT_FALSE(WasInstanceScanDone());  // nothing matched yet
  RunningPrograms programs;
  ASSERT_TRUE(programs.Start(L"kel.scr"));
  EXPECT_FALSE(IsAnotherInstanceRunning(nullptr));
  EXPECT_TRUE(WasInstanceScanDone());
  ASSERT_TRUE(programs.Start(L"KEL.SCR"));  // names compare ignoring case
  EXPECT_FALSE(IsAnotherInstanceRunning(nullptr));
  ASSERT_TRUE(programs.Start(L"kel.scr"));
  EXPECT_TRUE(IsAnotherInstanceRunning(nullptr));
  programs.StopAll();
  EXPECT_FALSE(IsAnotherInstanceRunning(nullptr));
  EXPECT_FALSE(WasWallpaperProcessFound());
}

// Runs last: once the wallpaper program was seen, the process keeps refusing.
TEST(InstanceCheck, TheWallpaperProgramBlocksTheShowForGood) {
  {
    RunningPrograms programs;
    ASSERT_TRUE(programs.Start(L"kelwall.exe"));
    EXPECT_TRUE(IsAnotherInstanceRunning(nullptr));
    EXPECT_TRUE(WasWallpaperProcessFound());
  }
  RunningPrograms programs;
  ASSERT_TRUE(programs.Start(L"kel.scr"));
  EXPECT_TRUE(IsAnotherInstanceRunning(nullptr));
}
