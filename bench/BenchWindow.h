#pragma once
#include <windows.h>

// The window a benchmark's show draws on: a visible black popup at the
// benchmarks' screen size, 1024x768, of a class of the given name.
HWND CreateBenchWindow(const wchar_t* className, const wchar_t* title);
