#pragma once
#include <string>

// Folder of the running test program (build/bin), with a trailing backslash.
std::wstring ProgramFolder();

// A fresh, empty folder under the system's temp folder, with a trailing
// backslash; removed with its contents by RemoveTree.
std::wstring MakeTempFolder(const std::wstring& prefix);
void RemoveTree(const std::wstring& folder);

bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
