#pragma once
#include <string>

// Folder of the running test program (build/bin), with a trailing backslash.
std::wstring ProgramFolder();

// A fresh, empty folder under the system's temp folder, with a trailing
// backslash. When none can be made this throws (the test fails, naming the
// folder) rather than hand back a path that would put the test's files into
// the current directory.
std::wstring MakeTempFolder(const std::wstring& prefix);

// Removes, with everything in it, a folder that MakeTempFolder handed out or
// one inside such a folder. Names beyond MAX_PATH are removed too; a link or
// junction inside is removed itself, never followed. Anything else (an empty
// or relative path, a drive root, the current directory or a folder holding
// it, a folder no MakeTempFolder made) is refused: nothing is deleted and the
// refusal is reported, naming the path.
void RemoveTree(const std::wstring& folder);

// Where RemoveTree's refusals go: the test programs make them test failures;
// without a reporter they go to standard error. Gives the one it replaces.
using TestPathFailureReporter = void (*)(const std::string& message);
TestPathFailureReporter SetTestPathFailureReporter(TestPathFailureReporter reporter);

bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
