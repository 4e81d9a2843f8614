#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/TestPaths.h"

namespace {
void ReportAsTestFailure(const std::string& message) { ADD_FAILURE() << message; }
}  // namespace

int main(int argc, char** argv) {
  // A crash must fail the test at once, not wait on a debugger dialog.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  testing::InitGoogleTest(&argc, argv);
  SetTestPathFailureReporter(ReportAsTestFailure);
  return RUN_ALL_TESTS();
}
