#include <gtest/gtest.h>
#include <windows.h>

int main(int argc, char** argv) {
  // A crash must fail the test at once, not wait on a debugger dialog.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
