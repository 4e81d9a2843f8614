#pragma once
#include <string>

// Makes the folders of an install under the given folder (with its trailing
// backslash): the libvlc bridge, kelconfig's catalog and background folders
// with a loading picture, and a "media" folder for the test's files.
bool MakeShowInstall(const std::wstring& install);
