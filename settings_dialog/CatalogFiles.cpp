#include "settings_dialog/CatalogFiles.h"

#include <comdef.h>
#include <commctrl.h>

#include <algorithm>

#include "media/MSXMLParser.h"
#include "media/MediaKind.h"
#include "platform/Scoped.h"
#include "settings_dialog/CatalogEntries.h"
#include "settings_dialog/CatalogTextReader.h"
#include "settings_dialog/CatalogTree.h"
#include "settings_dialog/CatalogTreeWalk.h"
#include "settings_dialog/CatalogXmlText.h"
#include "settings_dialog/ScopedRedraw.h"

namespace {

bool IsReadOnlyFile(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
         !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Writes the whole text and puts it on the disk before the file counts as
// written.
bool WriteWholeFile(const std::wstring& path, const std::string& text) {
  ScopedHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  bool ok = true;
  size_t done = 0;
  while (ok && done < text.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1u << 24));
    DWORD written = 0;
    ok = WriteFile(file.Get(), text.data() + done, chunk, &written, nullptr) && written == chunk;
    done += written;
  }
  ok = ok && FlushFileBuffers(file.Get());
  // The caller reads why a write failed, not how the close went.
  DWORD error = GetLastError();
  file.Close();
  SetLastError(error);
  return ok;
}

// The document goes to a file beside the old one, which it replaces only
// once it is whole: a save that fails half-way leaves the user's catalog as
// it was. A read-only catalog is left alone (the system would let the
// replacement through on some file systems).
bool SaveReplacing(const std::string& text, const std::wstring& path) {
  if (path.empty() || IsReadOnlyFile(path)) return false;
  std::wstring temporary = path + L".saving";
  DeleteFileW(temporary.c_str());
  if (WriteWholeFile(temporary, text) &&
      MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DWORD error = GetLastError();
  DeleteFileW(temporary.c_str());
  SetLastError(error);
  return false;
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.Valid()) return false;
  LARGE_INTEGER size = {};
  bool ok = GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 && size.QuadPart < 0x40000000;
  if (ok) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    ok = ReadFile(file.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size();
  }
  return ok;
}

// The DOM has found the file well-formed; its text gives the entries at a
// part of the DOM's cost when it is of the plain form, and the DOM gives
// them otherwise.
void FillCatalogFromFile(HWND tree, const std::wstring& path, IXMLDOMNode* root) {
  auto entries = std::make_shared<CatalogEntries>();
  std::string bytes;
  if (ReadWholeFile(path, bytes) && ReadCatalogText(bytes, *entries))
    PlaceCatalogEntries(tree, nullptr, std::move(entries));
  else
    FillCatalogTree(tree, nullptr, root);
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
      FillCatalogFromFile(tree, path, root.Get());
    else
      FillExtensionTree(tree, nullptr, root.Get());
    return true;
  } catch (const _com_error&) {
    return false;
  }
}

}  // namespace

bool WriteCatalogFile(HWND tree, const std::wstring& path, const std::wstring&) {
  CatalogXmlText text("CATALOG");
  int counter = 0;
  WriteCatalogItems(tree, text, nullptr, L"CATALOG", counter);
  return SaveReplacing(text.Finish(), path);
}

bool LoadCatalogIntoTree(HWND tree, const std::wstring& path, const std::wstring&) {
  return LoadIntoTree(tree, path, FileFlavour::Catalog);
}

bool LoadExtensionsIntoTree(HWND tree, const std::wstring& path, const std::wstring&) {
  return LoadIntoTree(tree, path, FileFlavour::Extension);
}

bool WriteExtensionFile(HWND tree, const std::wstring& path, const std::wstring&) {
  CatalogXmlText text("EXTENSION");
  text.Begin("ExtList", L"", L"ExtList", L"", L"");
  int counter = 0;
  if (TreeView_GetRoot(tree)) WriteExtensionItems(tree, text, nullptr, L"ExtList", counter);
  return SaveReplacing(text.Finish(), path);
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
