#include "settings_dialog/DialogRules.h"

#include <cwchar>
#include <cwctype>

namespace {

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i)
    if (i >= text.size() || std::towlower(text[i]) != prefix[i]) return false;
  return true;
}

bool EqualsNoCase(const std::wstring& a, const wchar_t* b) {
  size_t i = 0;
  for (; b[i]; ++i)
    if (i >= a.size() || std::towupper(a[i]) != b[i]) return false;
  return i == a.size();
}

// Windows opens these as devices whatever extension follows them.
bool IsDeviceName(const std::wstring& base) {
  static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
  for (const wchar_t* device : kDevices)
    if (EqualsNoCase(base, device)) return true;
  if (base.size() == 4 && (EqualsNoCase(base.substr(0, 3), L"COM") || EqualsNoCase(base.substr(0, 3), L"LPT"))) {
    wchar_t digit = base[3];
    return (digit >= L'1' && digit <= L'9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
  }
  return false;
}

}  // namespace

bool IsWebAddress(const std::wstring& text) {
  return StartsWithNoCase(text, L"http://") || StartsWithNoCase(text, L"https://");
}

UrlEditButtons UrlEditRule(const std::wstring& text, bool renameDrops) {
  UrlEditButtons buttons;
  if (text.empty()) return buttons;
  if (IsWebAddress(text)) {
    buttons.addMedia = true;
    buttons.nameEdit = renameDrops;
  } else {
    buttons.save = true;
  }
  return buttons;
}

int SliderMaximumFor(int seconds) { return seconds > kSliderMaximum ? seconds : kSliderMaximum; }

std::wstring CatalogNameProblem(const std::wstring& name) {
  if (name.empty()) return L"The catalog needs a name.";
  for (wchar_t c : name) {
    if (c < 32 || c == 127) return L"A catalog name can't hold control characters.";
    if (c == L'\\' || c == L'/') return L"A catalog name can't hold \\ or /: catalogs are kept in one folder.";
    if (wcschr(L"<>:\"|?*", c)) return L"A catalog name can't hold any of < > : \" | ? *.";
  }
  // The file system drops trailing dots and spaces, so the file would get
  // another name than the one typed ("." and ".." among them).
  wchar_t last = name.back();
  if (last == L'.' || last == L' ') return L"A catalog name can't end with a dot or a space.";
  std::wstring base = name.substr(0, name.find(L'.'));
  while (!base.empty() && base.back() == L' ') base.pop_back();
  if (IsDeviceName(base)) return L"\"" + base + L"\" is a device name that Windows keeps for itself.";
  return std::wstring();
}

std::string SplitFirstLine(const std::string& text, std::string* rest) {
  size_t feed = text.find('\n');
  if (feed == std::string::npos || feed == 0) {
    if (rest) *rest = text;
    return text;
  }
  if (rest) *rest = text.substr(feed + 1);
  size_t end = feed;
  if (text[end - 1] == '\r') --end;
  return text.substr(0, end);
}
