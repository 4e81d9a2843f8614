// Runs the real kel.scr under Wine and reads what it did from its trace.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "MessageBoxWatcher.h"
#include "engine/SystemParams.h"
#include "media/CatalogFixtures.h"
#include "platform/ScreenSaverLibrary.h"
#include "platform/WideText.h"
#include "resources/ResourceIds.h"
#include "support/ChildProcess.h"
#include "support/ProfileSystemParameters.h"
#include "support/RegistrySandbox.h"
#include "support/RelayLog.h"
#include "support/ShowTrace.h"
#include "support/TestPaths.h"

namespace {

// "system parameter restored: SPI_SETSCREENSAVETIMEOUT 600 accepted"
struct RestoreRecord {
  std::wstring action;
  int value;
  bool accepted;
};

std::vector<RestoreRecord> RestoreRecords(const std::vector<TraceLine>& lines) {
  std::vector<RestoreRecord> out;
  for (const std::wstring& text : TraceTexts(lines, L"system parameter restored: ")) {
    wchar_t action[64] = {}, answer[16] = {};
    RestoreRecord record = {L"", 0, false};
    if (swscanf(text.c_str(), L"system parameter restored: %63ls %d %15ls", action, &record.value, answer) == 3) {
      record.action = action;
      record.accepted = std::wstring(answer) == L"accepted";
    }
    out.push_back(record);
  }
  return out;
}

struct WriteBack {
  const wchar_t* name;
  UINT setAction;
  UINT getAction;
};
const WriteBack kWriteBacks[] = {
    {L"SPI_SETSCREENSAVEACTIVE", SPI_SETSCREENSAVEACTIVE, SPI_GETSCREENSAVEACTIVE},
    {L"SPI_SETLOWPOWERACTIVE", SPI_SETLOWPOWERACTIVE, SPI_GETLOWPOWERACTIVE},
    {L"SPI_SETPOWEROFFACTIVE", SPI_SETPOWEROFFACTIVE, SPI_GETPOWEROFFACTIVE},
    {L"SPI_SETSCREENSAVETIMEOUT", SPI_SETSCREENSAVETIMEOUT, SPI_GETSCREENSAVETIMEOUT},
    {L"SPI_SETLOWPOWERTIMEOUT", SPI_SETLOWPOWERTIMEOUT, SPI_GETLOWPOWERTIMEOUT},
    {L"SPI_SETPOWEROFFTIMEOUT", SPI_SETPOWEROFFTIMEOUT, SPI_GETPOWEROFFTIMEOUT},
};

class SaverProgram : public testing::Test {
 protected:
  void SetUp() override {
    folder = MakeTempFolder(L"kel-show");
    tracePath = folder + L"trace.txt";
  }
  void TearDown() override {
    saver.Kill();
    RemoveTree(folder);
  }
  bool StartShow() {
    return saver.Start(ProgramFolder() + L"kel.scr", L"/s", L"KEL_TRACE=" + tracePath);
  }
  std::vector<TraceLine> Trace() { return ReadShowTrace(tracePath); }
  bool WaitForTrace(const std::wstring& text, DWORD milliseconds) {
    return WaitUntil(milliseconds, [&] { return FindTraceLine(Trace(), text) != nullptr; });
  }

  RegistrySandbox registry;
  std::wstring folder;
  std::wstring tracePath;
  ChildProcess saver;
};

}  // namespace

TEST_F(SaverProgram, RunsFromBootToTheSaverAndClosesOnAKey) {
  // What the show finds on entering the saver; each value differs from what
  // a write-back of zeros, or of another parameter's value, would leave.
  ProfileSystemParameters profile;
  ASSERT_TRUE(profile.SetFlag(SPI_SETSCREENSAVEACTIVE, true));
  ASSERT_TRUE(profile.SetFlag(SPI_SETLOWPOWERACTIVE, false));
  ASSERT_TRUE(profile.SetFlag(SPI_SETPOWEROFFACTIVE, true));
  ASSERT_TRUE(profile.SetValue(SPI_SETSCREENSAVETIMEOUT, 600));
  // Which of the six this system answers at all (Wine has no power time-outs):
  // only those are written back.
  std::vector<bool> readable;
  for (const WriteBack& w : kWriteBacks) {
    int value = 0;
    readable.push_back(SystemParametersInfoW(w.getAction, 0, &value, 0) != FALSE);
  }
  RelayLog relay(L"user32.SystemParametersInfoW");
  ASSERT_TRUE(relay.Available()) << "the test program's standard error is not in a file (KEL_STDERR_FILE)";
  ASSERT_TRUE(saver.Start(ProgramFolder() + L"kel.scr", L"/s", {L"KEL_TRACE=" + tracePath, RelayLog::Environment()}));
  ASSERT_TRUE(WaitForTrace(L"SAVER_CHILD -> SAVER_SELECTNEXT_1", 30000));
  HWND window = FindWindowW(kScreenSaverWindowClass, nullptr);
  ASSERT_NE(window, nullptr);
  RECT rc;
  GetWindowRect(window, &rc);
  EXPECT_EQ(rc.right - rc.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_EQ(rc.bottom - rc.top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  // More than a second of the saver's frames.
  ASSERT_TRUE(WaitUntil(30000, [&] { return CountTraceLines(Trace(), L"frame ") > 40; }));

  PostMessageW(window, WM_KEYDOWN, VK_SPACE, 0);
  ASSERT_TRUE(saver.Wait(20000));
  EXPECT_EQ(saver.ExitCode(), 0u);

  std::vector<TraceLine> lines = Trace();
  const TraceLine* intro = FindTraceLine(lines, L"AppHarrowbell1_MainMachine -> IntroState");
  const TraceLine* outro = FindTraceLine(lines, L"INTRO_CHILD -> INTRO_ACT_OUTRO_1");
  const TraceLine* saverState = FindTraceLine(lines, L"AppHarrowbell1_MainMachine -> SaverState");
  ASSERT_TRUE(intro && outro && saverState);
  EXPECT_LT(intro->time, outro->time);
  EXPECT_GT(outro->time - intro->time, 1.0);  // the intro holds for more than a second
  EXPECT_LT(outro->time, saverState->time);

  // Frames are paced by the 66 ms rest after each.
  std::vector<double> frames;
  for (const TraceLine& line : lines)
    if (line.text.compare(0, 6, L"frame ") == 0) frames.push_back(line.time);
  ASSERT_GT(frames.size(), 20u);
  double average = (frames.back() - frames.front()) / (frames.size() - 1);
  EXPECT_GT(average, 0.060);

  // The key ended the loop, the worker tore everything down, then the window went.
  const TraceLine* stopped = FindTraceLine(lines, L"run: stopped");
  const TraceLine* restored = nullptr;
  for (const TraceLine& line : lines)
    if (!restored && line.text.compare(0, 27, L"system parameter restored: ") == 0) restored = &line;
  const TraceLine* done = FindTraceLine(lines, L"teardown: done");
  const TraceLine* joined = FindTraceLine(lines, L"worker stopped");
  ASSERT_TRUE(stopped && restored && done && joined);
  EXPECT_LE(stopped->time, restored->time);
  EXPECT_LE(restored->time, done->time);
  EXPECT_LE(done->time, joined->time);

  // The show's own records of its write-backs: the values set above, in the
  // order of the write-back, each accepted.
  const int expected[] = {1, 0, 1, 600, 0, 0};
  std::vector<RestoreRecord> records = RestoreRecords(lines);
  std::vector<std::wstring> want, got;
  for (size_t i = 0; i < 6; ++i)
    if (readable[i]) want.push_back(std::wstring(kWriteBacks[i].name) + L" " + std::to_wstring(expected[i]) + L" 1");
  for (const RestoreRecord& r : records)
    got.push_back(r.action + L" " + std::to_wstring(r.value) + L" " + (r.accepted ? L"1" : L"0"));
  EXPECT_EQ(got, want);

  // Wine's log of the show's own calls, from outside its process: each
  // parameter was written back once, with the value and the answer the
  // record gives, never written to the profile.
  std::vector<RelayCall> calls = relay.Calls("user32.SystemParametersInfoW", saver.Id());
  ASSERT_FALSE(calls.empty()) << "no relay log of the show";
  for (size_t i = 0; i < 6; ++i) {
    std::vector<RelayCall> writes;
    for (const RelayCall& c : calls)
      if (c.arguments.size() == 4 && c.arguments[0] == kWriteBacks[i].setAction) writes.push_back(c);
    const wchar_t* name = kWriteBacks[i].name;
    if (!readable[i]) {
      EXPECT_TRUE(writes.empty()) << WideToUtf8(name) << " was never read, so never written";
      continue;
    }
    ASSERT_EQ(writes.size(), 1u) << WideToUtf8(name);
    const RelayCall& write = writes[0];
    EXPECT_EQ(write.arguments[1], static_cast<unsigned long long>(expected[i])) << WideToUtf8(name);
    EXPECT_EQ(write.arguments[2], 0u) << WideToUtf8(name);
    EXPECT_EQ(write.arguments[3], static_cast<unsigned long long>(SPIF_SENDCHANGE)) << WideToUtf8(name);
    ASSERT_TRUE(write.returned) << WideToUtf8(name);
    for (const RestoreRecord& r : records) {
      if (r.action == name) {
        EXPECT_EQ(r.accepted, write.result != 0) << WideToUtf8(name);
      }
    }
  }
}

// Two screen savers may overlap (the preview and the show); a third is refused.
TEST_F(SaverProgram, ASecondShowIsRefused) {
  std::vector<std::unique_ptr<ChildProcess>> others;
  for (int i = 0; i < 2; ++i) {
    std::wstring sub = folder + L"other" + std::to_wstring(i) + L"\\";
    CreateDirectoryW(sub.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW((ProgramFolder() + L"kel_sleeper.exe").c_str(), (sub + L"kel.scr").c_str(), FALSE));
    others.emplace_back(new ChildProcess());
    ASSERT_TRUE(others.back()->Start(sub + L"kel.scr", L"60"));
  }
  ASSERT_TRUE(StartShow());
  FoundMessageBox box = CloseMessageBox(L"Kelvane Error!", 30000);
  EXPECT_TRUE(box.found);
  EXPECT_EQ(box.text, L"Only one instance allowed!");
  EXPECT_TRUE(box.topmost);  // seen above the full-screen show
  ASSERT_TRUE(saver.Wait(20000));
  EXPECT_EQ(saver.ExitCode(), 0u);
  std::vector<TraceLine> lines = Trace();
  EXPECT_NE(FindTraceLine(lines, L"another instance"), nullptr);
  EXPECT_EQ(CountTraceLines(lines, L"frame "), 0);
  EXPECT_NE(FindTraceLine(lines, L"teardown: done"), nullptr);
}

TEST_F(SaverProgram, PreviewWithABadWindowLeavesQuietly) {
  ASSERT_TRUE(saver.Start(ProgramFolder() + L"kel.scr", L"/p 12345", L"KEL_TRACE=" + tracePath));
  ASSERT_TRUE(saver.Wait(20000));
  EXPECT_EQ(saver.ExitCode(), 1u);  // its own answer, not a crash's
  EXPECT_EQ(CountTraceLines(Trace(), L"build:"), 0);
}

TEST_F(SaverProgram, ChangePasswordDoesNothing) {
  ASSERT_TRUE(saver.Start(ProgramFolder() + L"kel.scr", L"/a 12345", L"KEL_TRACE=" + tracePath));
  ASSERT_TRUE(saver.Wait(20000));
  EXPECT_EQ(saver.ExitCode(), 0u);
}

TEST_F(SaverProgram, PreviewRunsTheShowInTheGivenWindow) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"KelTestPreviewParent";
  RegisterClassW(&wc);
  HWND parent = CreateWindowW(L"KelTestPreviewParent", L"preview", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200,
                              160, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(parent, nullptr);
  std::wstring arguments = L"/p " + std::to_wstring(reinterpret_cast<ULONG_PTR>(parent));
  ASSERT_TRUE(saver.Start(ProgramFolder() + L"kel.scr", arguments, L"KEL_TRACE=" + tracePath));
  bool running = WaitUntil(30000, [&] {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    return FindTraceLine(Trace(), L"AppHarrowbell1_MainMachine -> IntroState") != nullptr;
  });
  EXPECT_TRUE(running);
  HWND child = FindWindowExW(parent, nullptr, kScreenSaverWindowClass, nullptr);
  EXPECT_NE(child, nullptr);
  DestroyWindow(parent);  // the preview goes with its parent
  bool ended = WaitUntil(20000, [&] {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    return !saver.IsRunning();
  });
  EXPECT_TRUE(ended);
}

// ---- the settings dialog as the control panel opens it ---------------------

namespace {

struct ProcessWindow {
  DWORD process;
  const wchar_t* title;
  HWND found;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM parameter) {
  ProcessWindow* wanted = reinterpret_cast<ProcessWindow*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t title[128] = {};
  GetWindowTextW(window, title, 128);
  if (process != wanted->process || wcscmp(title, wanted->title) != 0 || !IsWindowVisible(window)) return TRUE;
  wanted->found = window;
  return FALSE;
}

void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

struct DialogAnswer {
  const char* name;
  int button;
  bool saves;
};

}  // namespace

// "kel.scr /c": the dialog opens, the user ticks two boxes and picks another
// visualisation, then answers; the program ends with 0 either way, and only
// OK keeps the choices (with the lists' places back at their beginnings) and
// writes the catalog.
TEST_F(SaverProgram, ConfigureModeKeepsWhatTheUserChoseOnlyOnOk) {
  const std::string extensions =
      ReadFileBytes(ProgramFolder() + L"..\\Kelvane\\kelconfig\\Scripts\\dialogs\\extension.xml");
  ASSERT_FALSE(extensions.empty()) << "no shipped extension list beside the test programs";
  const DialogAnswer answers[] = {{"OK", IDOK, true}, {"Cancel", IDCANCEL, false}};
  for (const DialogAnswer& answer : answers) {
    SCOPED_TRACE(answer.name);
    std::wstring install = folder + Utf8ToWide(answer.name) + L"\\";
    std::wstring dialogs = install + L"kelconfig\\Scripts\\dialogs\\";
    ASSERT_TRUE(MakeFolders(dialogs));
    ASSERT_TRUE(WriteFileBytes(dialogs + L"extension.xml", extensions));
    // With a comment of its own, which only a catalog written anew by OK
    // loses; Cancel leaves the file byte for byte.
    const std::string catalog =
        CatalogXml({{L"VIDEO", L"clip.avi", L"C:\\Videos\\clip.avi", L"C:\\Videos", {}}}) + "<!-- by hand -->";
    ASSERT_TRUE(WriteFileBytes(dialogs + L"catalog.xml", catalog));
    RegistrySandbox::Clear();
    registry.SetText(L"KEL_TARGETDIR", install);
    registry.SetDword(L"ShowName", 0);
    registry.SetDword(L"RandomMedia", 0);
    registry.SetDword(L"CurrentVisualIndex", 0);
    registry.SetDword(L"CurrentMediaIndex", 7);

    ChildProcess settings;
    ASSERT_TRUE(settings.Start(ProgramFolder() + L"kel.scr", L"/c"));
    ProcessWindow dialog = {settings.Id(), L"Kelvane Screen Saver Settings", nullptr};
    ASSERT_TRUE(WaitUntil(30000, [&] {
      EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&dialog));
      return dialog.found != nullptr;
    })) << "no settings dialog";
    EXPECT_EQ(FindWindowW(kScreenSaverWindowClass, nullptr), nullptr) << "a show runs beside the dialog";
    Click(dialog.found, IDC_SHOW_NAME);
    Click(dialog.found, IDC_RANDOM_MEDIA);
    Click(dialog.found, IDC_VISUAL_SCOPE);
    Click(dialog.found, answer.button);
    ASSERT_TRUE(settings.Wait(30000)) << "the dialog did not close";
    EXPECT_EQ(settings.ExitCode(), 0u);

    const struct {
      const wchar_t* name;
      DWORD saved;
      DWORD kept;
    } values[] = {
        {L"ShowName", 1, 0}, {L"RandomMedia", 1, 0}, {L"CurrentVisualIndex", 4, 0}, {L"CurrentMediaIndex", 0, 7}};
    for (const auto& v : values) {
      DWORD value = 0xDEADBEEF;
      EXPECT_TRUE(registry.GetDword(v.name, &value)) << WideToUtf8(v.name);
      EXPECT_EQ(value, answer.saves ? v.saved : v.kept) << WideToUtf8(v.name);
    }
    std::string written = ReadFileBytes(dialogs + L"catalog.xml");
    if (answer.saves) {
      EXPECT_EQ(written.find("by hand"), std::string::npos) << "the catalog was not written";
      EXPECT_NE(written.find("clip.avi"), std::string::npos) << written;
    } else {
      EXPECT_EQ(written, catalog);
    }
  }
}
