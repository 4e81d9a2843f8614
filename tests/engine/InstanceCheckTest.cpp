#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "MessageBoxWatcher.h"
#include "engine/InstanceCheck.h"
#include "engine/ProgramVariant.h"
#include "support/ChildProcess.h"
#include "support/RunningPrograms.h"
#include "support/TestPaths.h"

namespace {

// What the stand-in enumeration does on each call, in turn.
enum class Answer {
  Fail,
  FillAll,  // fills the buffer to the last byte, as a cut list does
  Few,      // five ids, room to spare
  Real,     // the system's own list
};

struct Enumeration {
  std::vector<Answer> answers;
  std::vector<DWORD> askedIds;  // room offered on each call, in ids
};
Enumeration g_enumeration;

// Ids carry the number of the call that made them: (call + 1) << 24 | index.
DWORD MarkedId(size_t call, DWORD index) { return static_cast<DWORD>((call + 1) << 24) | index; }

BOOL WINAPI ScriptedEnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytesReturned) {
  size_t call = g_enumeration.askedIds.size();
  g_enumeration.askedIds.push_back(bytes / sizeof(DWORD));
  Answer answer = call < g_enumeration.answers.size() ? g_enumeration.answers[call] : Answer::Fail;
  DWORD count = 0;
  switch (answer) {
    case Answer::Fail:
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return FALSE;
    case Answer::Real:
      return EnumProcesses(ids, bytes, bytesReturned);
    case Answer::FillAll:
      count = bytes / sizeof(DWORD);
      break;
    case Answer::Few:
      count = 5;
      break;
  }
  for (DWORD i = 0; i < count; ++i) ids[i] = MarkedId(call, i);
  *bytesReturned = count * sizeof(DWORD);
  return TRUE;
}

// Puts the scripted enumeration in place for one test.
class ScriptedEnumeration {
 public:
  explicit ScriptedEnumeration(std::vector<Answer> answers) {
    g_enumeration = Enumeration{std::move(answers), {}};
    SetProcessEnumeratorForTests(ScriptedEnumProcesses);
  }
  ~ScriptedEnumeration() { SetProcessEnumeratorForTests(nullptr); }
  const std::vector<DWORD>& AskedIds() const { return g_enumeration.askedIds; }
};

struct CheckRun {
  bool anotherInstance = true;
};

DWORD WINAPI RunInstanceCheck(LPVOID parameter) {
  static_cast<CheckRun*>(parameter)->anotherInstance = IsAnotherInstanceRunning(nullptr);
  return 0;
}

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

// EnumProcesses cannot tell that its buffer was too small: a buffer filled to
// the brim is asked again with more room, and a failure gets one more try.
TEST(InstanceCheck, EnumerationRetries) {
  struct Case {
    const char* name;
    std::vector<Answer> answers;
    std::vector<DWORD> askedIds;
    size_t idsFound;
    int fromCall;  // the call whose list is used
  } cases[] = {
      {"room to spare", {Answer::Few}, {2048}, 5, 0},
      {"a full buffer is retried larger", {Answer::FillAll, Answer::Few}, {2048, 32768}, 5, 1},
      {"a failure is retried once", {Answer::Fail, Answer::Few}, {2048, 32768}, 5, 1},
      {"both fail", {Answer::Fail, Answer::Fail}, {2048, 32768}, 0, -1},
      {"a failed retry keeps the cut list", {Answer::FillAll, Answer::Fail}, {2048, 32768}, 2048, 0},
      {"still full grows again", {Answer::FillAll, Answer::FillAll, Answer::Few}, {2048, 32768, 524288}, 5, 2},
  };
  for (const Case& c : cases) {
    ScriptedEnumeration script(c.answers);
    std::vector<DWORD> ids = EnumerateProcessIds();
    EXPECT_EQ(script.AskedIds(), c.askedIds) << c.name;
    ASSERT_EQ(ids.size(), c.idsFound) << c.name;
    for (DWORD i = 0; i < ids.size(); ++i) ASSERT_EQ(ids[i], MarkedId(c.fromCall, i)) << c.name;
  }
}

TEST(InstanceCheck, NoProcessListIsToldAndFindsNoOtherInstance) {
  ScriptedEnumeration script({Answer::Fail, Answer::Fail});
  CheckRun run;
  HANDLE checker = CreateThread(nullptr, 0, RunInstanceCheck, &run, 0, nullptr);
  ASSERT_NE(checker, nullptr);
  FoundMessageBox box = CloseMessageBox(L"Process List Greater 16K.", 20000);
  EXPECT_TRUE(box.found);
  EXPECT_EQ(box.text, L"Trying again to find processes!");
  ASSERT_EQ(WaitForSingleObject(checker, 20000), WAIT_OBJECT_0);
  CloseHandle(checker);
  EXPECT_FALSE(run.anotherInstance);
  EXPECT_EQ(script.AskedIds(), (std::vector<DWORD>{2048, 32768}));
  EXPECT_FALSE(WasInstanceScanDone());
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

// Three shows run, but the first list, filled to the brim, holds none of
// them: only the retry's list finds them.
TEST(InstanceCheck, TheCheckDecidesOnTheRetriedList) {
  RunningPrograms programs;
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(programs.Start(L"kel.scr"));
  ScriptedEnumeration script({Answer::FillAll, Answer::Real});
  EXPECT_TRUE(IsAnotherInstanceRunning(nullptr));
  EXPECT_EQ(script.AskedIds(), (std::vector<DWORD>{2048, 32768}));
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
