#include "settings_dialog/CatalogFiles.h"

#include <comdef.h>
#include <commctrl.h>

#include "media/MSXMLParser.h"
#include "media/MediaKind.h"
#include "settings_dialog/CatalogTreeWalk.h"
#include "settings_dialog/ScopedRedraw.h"

namespace {

bool IsReadOnlyFile(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
         !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FlushFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size = {};
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart > 0 && FlushFileBuffers(file);
  CloseHandle(file);
  return ok;
}

// The document goes to a file beside the old one, which it replaces only
// once it is whole: a save that fails half-way leaves the user's catalog as
// it was. A read-only catalog is left alone (the system would let the
// replacement through on some file systems).
bool SaveReplacing(MSXMLParser& parser, const std::wstring& path) {
  if (path.empty() || IsReadOnlyFile(path)) return false;
  std::wstring temporary = path + L".saving";
  DeleteFileW(temporary.c_str());
  bool saved = false;
  try {
    saved = parser.Save_Document(temporary);
  } catch (const _com_error&) {
    saved = false;
  }
  if (saved && FlushFile(temporary) &&
      MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DWORD error = GetLastError();
  DeleteFileW(temporary.c_str());
  SetLastError(error);
  return false;
}

enum class FileFlavour { Catalog, Extension };

bool LoadIntoTree(HWND tree, const std::wstring& path, FileFlavour flavour) {
  try {
    Tam_MSXMLParser parser;
    parser.Load_Document(path);
    ComPtr<IXMLDOMNode> root = parser.Get_CurrentNode();
    if (!root) return false;
    ScopedRedraw pause(tree);
    if (flavour == FileFlavour::Catalog)
      FillCatalogTree(tree, nullptr, root.Get());
    else
      FillExtensionTree(tree, nullptr, root.Get());
    return true;
  } catch (const _com_error&) {
    return false;
  }
}

}  // namespace

bool WriteCatalogFile(HWND tree, const std::wstring& path, const std::wstring&) {
  try {
    Tam_MSXMLParser parser;
    parser.New_Document();
    if (!parser.Set_Header(L"xml", L"encoding", L"UTF-8")) return false;
    if (!parser.Add_FirstChild(L"CATALOG")) return false;
    int counter = 0;
    WriteCatalogItems(tree, parser, nullptr, L"CATALOG", counter);
    return SaveReplacing(parser, path);
  } catch (const _com_error&) {
    return false;
  }
}

bool LoadCatalogIntoTree(HWND tree, const std::wstring& path, const std::wstring&) {
  return LoadIntoTree(tree, path, FileFlavour::Catalog);
}

bool LoadExtensionsIntoTree(HWND tree, const std::wstring& path, const std::wstring&) {
  return LoadIntoTree(tree, path, FileFlavour::Extension);
}

bool WriteExtensionFile(HWND tree, const std::wstring& path, const std::wstring&) {
  try {
    Tam_MSXMLParser parser;
    parser.New_Document();
    if (!parser.Set_Header(L"xml", L"encoding", L"UTF-8")) return false;
    if (!parser.Add_FirstChild(L"EXTENSION")) return false;
    if (!parser.Add_FirstChild(L"ExtList")) return false;
    parser.Set_Attribute(L"parentname", L"");
    parser.Set_Attribute(L"branchname", L"ExtList");
    parser.Set_Attribute(L"branchpath", L"");
    parser.Set_Attribute(L"parentpath", L"");
    int counter = 0;
    if (TreeView_GetRoot(tree)) WriteExtensionItems(tree, parser, nullptr, L"ExtList", counter);
    return SaveReplacing(parser, path);
  } catch (const _com_error&) {
    return false;
  }
}

void GetKindGroupName(int kind, std::wstring& name) { name = GetKindGroupName(kind); }

std::wstring GetKindGroupName(int kind) {
  switch (kind) {
    case MediaKindAudio: return L"AUDIO";
    case MediaKindPicture: return L"PICTURE";
    case MediaKindPlaylist: return L"PLAYLIST";
    case MediaKindVideo: return L"VIDEO";
    case MediaKindFolder: return L"FOLDER";
    case MediaKindWebMedia: return L"WEBM";
    default: return L"KEL_FILTERTYPE_ERROR";
  }
}
