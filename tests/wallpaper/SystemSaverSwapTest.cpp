#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "engine/InstanceCheck.h"
#include "engine/ProgramVariant.h"
#include "engine/Settings.h"
#include "platform/Scoped.h"
#include "support/RegistrySandbox.h"
#include "wallpaper/ControlWindow.h"
#include "wallpaper/SystemSaverSwap.h"
#include "wallpaper/WallpaperFixtures.h"

namespace {

const std::wstring kBlank = L"%SystemRoot%\\System32\\scrnsave.scr";

class SystemSaverSwapTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { MarkInstanceScanDone(); }
  void SetUp() override {
    ASSERT_TRUE(WasInstanceScanDone());
    ResetSaverSwapForTests();
  }
  void TearDown() override { ResetSaverSwapForTests(); }
  static bool ReadRecord(std::wstring* text) {
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS)
      return false;
    wchar_t buffer[4096] = {};
    DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
    bool found = RegQueryValueExW(key, kReplacedSaverRecord, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                                  &bytes) == ERROR_SUCCESS;
    *text = buffer;
    return found;
  }
  RegistrySandbox settings;
  ScreenSaverSettingSandbox setting;
};

struct SwapCase {
  const wchar_t* name;
  std::wstring value;
  DWORD type;
  bool present;
  bool swapped;
};

std::wstring LongSetting() { return L"C:\\" + std::wstring(1200, L'x') + L"\\Kel.Scr"; }

}  // namespace

// Only a setting that names kel is swapped, and the stop writes back exactly
// what it replaced, whatever KEL_TARGETDIR says.
TEST_F(SystemSaverSwapTest, ReplaceAndRestoreTable) {
  const SwapCase cases[] = {
      {L"kel in a folder", L"C:\\Kelvane\\kel.scr", REG_SZ, true, true},
      {L"bare file name in capitals", L"KEL.SCR", REG_SZ, true, true},
      {L"installed into the system folder", L"C:\\windows\\system32\\kel.scr", REG_SZ, true, true},
      {L"unexpanded folder", L"%SystemRoot%\\System32\\kel.scr", REG_EXPAND_SZ, true, true},
      {L"longer than 1,000 characters", LongSetting(), REG_SZ, true, true},
      {L"another saver", L"C:\\windows\\system32\\ssmyst.scr", REG_SZ, true, false},
      {L"a name that only ends like kel", L"C:\\savers\\notkel.scr", REG_SZ, true, false},
      {L"kel as a folder", L"C:\\kel.scr\\other.scr", REG_SZ, true, false},
      {L"empty", L"", REG_SZ, true, false},
      {L"missing", L"", REG_SZ, false, false},
  };
  for (const wchar_t* targetDir : {L".", L"D:\\Elsewhere\\"}) {
    for (const SwapCase& c : cases) {
      SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + wcslen(c.name)) << " / KEL_TARGETDIR "
                                      << std::string(targetDir, targetDir + wcslen(targetDir)));
      ResetSaverSwapForTests();
      KEL_TARGETDIR = targetDir;
      if (c.present)
        setting.SetText(c.value, c.type);
      else
        setting.Remove();

      ReplaceSystemScreenSaver();
      std::wstring record;
      EXPECT_EQ(IsSaverSwapped(), c.swapped);
      EXPECT_EQ(ReadRecord(&record), c.swapped);
      if (c.swapped) {
        DWORD type = 0;
        std::wstring now;
        ASSERT_TRUE(setting.Get(&now, &type));
        EXPECT_EQ(now, kBlank);
        EXPECT_EQ(type, DWORD(REG_SZ));
        EXPECT_EQ(record, c.value);
      } else {
        EXPECT_EQ(setting.Text(), c.present ? c.value : L"<missing>");
      }

      RestoreSystemScreenSaver();
      EXPECT_FALSE(IsSaverSwapped());
      EXPECT_FALSE(ReadRecord(&record));
      DWORD type = 0;
      std::wstring after;
      EXPECT_EQ(setting.Get(&after, &type), c.present);
      if (c.present) {
        EXPECT_EQ(after, c.value);
        EXPECT_EQ(type, c.type);
      }
    }
  }
  KEL_TARGETDIR = L".";
}

// A value of another type is no screen-saver path: left alone.
TEST_F(SystemSaverSwapTest, ValueOfAnotherTypeIsLeftAlone) {
  DWORD number = 5;
  setting.SetRaw(REG_DWORD, &number, sizeof(number));
  ReplaceSystemScreenSaver();
  EXPECT_FALSE(IsSaverSwapped());
  DWORD type = 0;
  std::wstring text;
  ASSERT_TRUE(setting.Get(&text, &type));
  EXPECT_EQ(type, DWORD(REG_DWORD));
}

TEST_F(SystemSaverSwapTest, SaverChosenMeanwhileIsKept) {
  setting.SetText(L"C:\\Kelvane\\kel.scr");
  ReplaceSystemScreenSaver();
  ASSERT_TRUE(IsSaverSwapped());
  setting.SetText(L"C:\\windows\\system32\\ssmyst.scr");
  RestoreSystemScreenSaver();
  EXPECT_EQ(setting.Text(), L"C:\\windows\\system32\\ssmyst.scr");
  std::wstring record;
  EXPECT_FALSE(ReadRecord(&record));
  // The next start finds nothing to repair and nothing to swap.
  ResetSaverSwapForTests();
  ReplaceSystemScreenSaver();
  EXPECT_EQ(setting.Text(), L"C:\\windows\\system32\\ssmyst.scr");
}

// A run that ended without its restore (here: the process forgetting its
// swap, as a killed one does) is repaired by the next start.
TEST_F(SystemSaverSwapTest, NextStartRepairsAnUnfinishedRun) {
  setting.SetText(L"C:\\Program Files\\Kelvane\\kel.scr");
  ReplaceSystemScreenSaver();
  ASSERT_EQ(setting.Text(), kBlank);
  ResetSaverSwapForTests();  // killed

  ReplaceSystemScreenSaver();  // the next start: repaired, then swapped again
  EXPECT_TRUE(IsSaverSwapped());
  EXPECT_EQ(setting.Text(), kBlank);
  RestoreSystemScreenSaver();
  EXPECT_EQ(setting.Text(), L"C:\\Program Files\\Kelvane\\kel.scr");

  // Killed again, and the user chose another saver before the next start: the
  // stale record goes, the choice stays.
  ReplaceSystemScreenSaver();
  ResetSaverSwapForTests();
  setting.SetText(L"C:\\windows\\system32\\ssmyst.scr");
  ReplaceSystemScreenSaver();
  EXPECT_FALSE(IsSaverSwapped());
  EXPECT_EQ(setting.Text(), L"C:\\windows\\system32\\ssmyst.scr");
  std::wstring record;
  EXPECT_FALSE(ReadRecord(&record));
}

// The end of the session restores at once, and only once: the stop sequence
// that may follow writes nothing more.
TEST_F(SystemSaverSwapTest, EndOfSessionRestoresOnce) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"KelwallTestSession";
  RegisterClassW(&wc);
  HWND window = CreateWindowW(L"KelwallTestSession", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);

  setting.SetText(L"C:\\Kelvane\\kel.scr");
  ReplaceSystemScreenSaver();
  ControlWndProc(window, WM_ENDSESSION, FALSE, 1);  // the session goes on
  EXPECT_EQ(setting.Text(), kBlank);
  ControlWndProc(window, WM_ENDSESSION, TRUE, 1);
  EXPECT_EQ(setting.Text(), L"C:\\Kelvane\\kel.scr");
  EXPECT_FALSE(IsSaverSwapped());

  setting.SetText(kBlank);  // a second write would show as kel again
  RestoreSystemScreenSaver();
  EXPECT_EQ(setting.Text(), kBlank);
  DestroyWindow(window);
}
