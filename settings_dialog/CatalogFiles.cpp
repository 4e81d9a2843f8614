#include "settings_dialog/CatalogFiles.h"

#include <comdef.h>
#include <commctrl.h>

#include "media/MSXMLParser.h"
#include "media/MediaKind.h"
#include "platform/Scoped.h"
#include "settings_dialog/CatalogEntries.h"
#include "settings_dialog/CatalogTextReader.h"
#include "settings_dialog/CatalogTree.h"
#include "settings_dialog/CatalogTreeWalk.h"
#include "settings_dialog/CatalogXmlText.h"
#include "settings_dialog/ReplacingFile.h"
#include "settings_dialog/ScopedRedraw.h"

namespace {

// The text goes to the file piece by piece as the walk makes it.
template <class WriteItems>
bool SaveDocument(const std::wstring& path, const char* root, WriteItems writeItems) {
  ReplacingFile file(path);
  if (!file.IsOpen()) return false;
  CatalogXmlText text(root, [&file](const std::string& piece) { return file.Write(piece); });
  writeItems(text);
  text.Finish();
  return text.SinkTookAll() && file.Commit();
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
  return SaveDocument(path, "CATALOG", [tree](CatalogXmlText& text) {
    int counter = 0;
    WriteCatalogItems(tree, text, nullptr, L"CATALOG", counter);
  });
}

bool LoadCatalogIntoTree(HWND tree, const std::wstring& path, const std::wstring&) {
  return LoadIntoTree(tree, path, FileFlavour::Catalog);
}

bool LoadExtensionsIntoTree(HWND tree, const std::wstring& path, const std::wstring&) {
  return LoadIntoTree(tree, path, FileFlavour::Extension);
}

bool WriteExtensionFile(HWND tree, const std::wstring& path, const std::wstring&) {
  return SaveDocument(path, "EXTENSION", [tree](CatalogXmlText& text) {
    text.Begin("ExtList", L"", L"ExtList", L"", L"");
    int counter = 0;
    if (TreeView_GetRoot(tree)) WriteExtensionItems(tree, text, nullptr, L"ExtList", counter);
  });
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
