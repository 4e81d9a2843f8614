#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The X display Wine draws on, reached from a test through Linux programs:
// real input from xdotool, as a user's keyboard and mouse would give it, and
// screenshots from ImageMagick's import, which see what libvlc draws too.
// Wine starts a Linux program but gives no handle to wait on, so each
// command's exit code comes back through a file.

// The Linux path of a Windows path; empty outside Wine.
std::string UnixPathOf(const std::wstring& path);

// Runs a shell command line and waits for it; true when it ended with 0
// within the time.
bool RunOnXDisplay(const std::string& command, DWORD milliseconds = 10000);

// Runs "xdotool <arguments>".
bool RunXdotool(const std::string& arguments, DWORD milliseconds = 10000);

// The screen's pixels inside the area (screen coordinates), 0x00RRGGBB, row
// by row; empty when no screenshot could be taken.
std::vector<uint32_t> GrabScreenArea(const RECT& area);
