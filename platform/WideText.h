#pragma once
#include <string>

// Conversions at the edges of the program: libvlc and trace files take UTF-8.
std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);
