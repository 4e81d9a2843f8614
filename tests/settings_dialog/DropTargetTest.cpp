// The drop area's OLE drop target, called as OLE would call it, with a
// hand-made data object (Wine's shell targets refuse real drags).
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "engine/Settings.h"
#include "resources/ResourceIds.h"
#include "settings_dialog/ConfigDialog.h"
#include "settings_dialog/ConfigDialogProc.h"
#include "settings_dialog/DialogFixture.h"
#include "settings_dialog/DropTarget.h"
#include "support/TestPaths.h"

namespace {

// Offers one format in global memory; the bytes are copied for every
// GetData, as a real source does.
class FakeData : public IDataObject {
 public:
  FakeData(CLIPFORMAT format, std::string bytes, bool fillWhole = false)
      : format_(format), bytes_(std::move(bytes)), fillWhole_(fillWhole) {}
  static FakeData Url(const std::string& text) {
    return FakeData(static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"UniformResourceLocator")), text + '\0');
  }
  static FakeData Paths(const std::vector<std::wstring>& paths) {
    std::wstring names;
    for (const std::wstring& p : paths) names += p + L'\0';
    names += L'\0';
    DROPFILES header = {};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof(header));
    bytes.append(reinterpret_cast<const char*>(names.data()), names.size() * sizeof(wchar_t));
    return FakeData(CF_HDROP, bytes);
  }
  int gets = 0;
  size_t lastSize = 0;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = (iid == IID_IUnknown || iid == IID_IDataObject) ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetData(FORMATETC* wanted, STGMEDIUM* medium) override {
    ++gets;
    if (wanted->cfFormat != format_ || !(wanted->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
    // With fillWhole the text runs to the very end of the memory, with no
    // terminator anywhere, and more of it lies beyond: the memory is made
    // larger and then cut down to the text.
    size_t room = fillWhole_ ? bytes_.size() + 4096 : bytes_.size();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, room);
    char* data = static_cast<char*>(GlobalLock(memory));
    memset(data, 'z', GlobalSize(memory));
    memcpy(data, bytes_.data(), bytes_.size());
    GlobalUnlock(memory);
    if (fillWhole_) {
      HGLOBAL cut = GlobalReAlloc(memory, bytes_.size(), 0);
      if (cut) memory = cut;
    }
    lastSize = GlobalSize(memory);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC* wanted) override {
    return wanted->cfFormat == format_ ? S_OK : DV_E_FORMATETC;
  }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    FORMATETC format = {format_, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return SHCreateStdEnumFmtEtc(1, &format, out);
  }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  CLIPFORMAT format_;
  std::string bytes_;
  bool fillWhole_;
};

// The dialog, and the drop target that OLE holds for its drop area: without
// a registered one nobody could drop onto the dialog at all.
class DropFixture : public DialogFixture {
 public:
  DropFixture() { WriteCatalog(SmallCatalogXml()); }
  void OpenWithRegisteredTarget() {
    ASSERT_TRUE(Open());
    HWND area = Control(IDC_DROP_AREA);
    CDropTarget probe;
    HRESULT again = RegisterDragDrop(area, &probe);
    if (SUCCEEDED(again)) RevokeDragDrop(area);
    ASSERT_EQ(again, DRAGDROP_E_ALREADYREGISTERED) << "the drop area has no registered drop target";
    target = static_cast<CDropTarget*>(static_cast<IDropTarget*>(GetPropW(area, L"OleDropTargetInterface")));
    ASSERT_NE(target, nullptr);
    ASSERT_EQ(target->window, Dialog()) << "the registered target is not the dialog's own";
  }
  // Enter (as a source that allows copy and move), then drop; the drop's
  // result and the effect the source is told.
  HRESULT EnterAndDrop(IDataObject* data, DWORD* dropEffect, DWORD allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE) {
    POINTL point = {10, 10};
    DWORD effect = allowed;
    target->DragEnter(data, MK_LBUTTON, point, &effect);
    entered = effect;
    DWORD over = allowed;
    target->DragOver(MK_LBUTTON, point, &over);
    overEffect = over;
    *dropEffect = allowed;
    return target->Drop(data, 0, point, dropEffect);
  }
  CDropTarget* target = nullptr;
  DWORD entered = 0;
  DWORD overEffect = 0;
};

class DropArea : public testing::Test {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(f.OpenWithRegisteredTarget()); }
  DropFixture f;
};

// A shell target as the shell gives one for a folder on the same drive: it
// proposes a move, and must never be handed the drop.
class MovingShellTarget : public IDropTarget {
 public:
  static MovingShellTarget& Instance() {
    static MovingShellTarget target;
    return target;
  }
  static IDropTarget* Bind(const std::wstring&) {
    Instance().references++;
    return &Instance();
  }
  int references = 0;
  int drops = 0;
  STDMETHODIMP QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
  STDMETHODIMP_(ULONG) Release() override { return --references; }
  STDMETHODIMP DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    *effect &= DROPEFFECT_MOVE;
    return S_OK;
  }
  STDMETHODIMP DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect &= DROPEFFECT_MOVE;
    return S_OK;
  }
  STDMETHODIMP DragLeave() override { return S_OK; }
  STDMETHODIMP Drop(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    ++drops;
    *effect = DROPEFFECT_MOVE;
    return S_OK;
  }
};

class ScopedMovingShell {
 public:
  ScopedMovingShell() {
    MovingShellTarget::Instance().references = 0;
    MovingShellTarget::Instance().drops = 0;
    CDropTarget::SetShellTargetBinderForTests(MovingShellTarget::Bind);
  }
  ~ScopedMovingShell() { CDropTarget::SetShellTargetBinderForTests(nullptr); }
};

TEST_F(DropArea, AShellThatProposesAMoveStillOnlyGetsACopy) {
  ScopedMovingShell shell;
  FakeData data = FakeData::Url("http://radio.example/live");
  DWORD effect = 0;
  EXPECT_EQ(S_OK, f.EnterAndDrop(&data, &effect));
  EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), f.entered);
  EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), f.overEffect);
  EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), effect);
  EXPECT_EQ(0, MovingShellTarget::Instance().drops);
  EXPECT_EQ(0, MovingShellTarget::Instance().references);  // released after the drop
  // A source that allows only a move is refused.
  DWORD moveOnly = DROPEFFECT_MOVE;
  f.target->DragEnter(&data, MK_LBUTTON, POINTL{}, &moveOnly);
  EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), moveOnly);
  f.target->DragLeave();
  EXPECT_EQ(0, MovingShellTarget::Instance().references);
  f.Cancel();
}

TEST(DropTarget, AnswersOnlyItsOwnInterfaces) {
  CDropTarget target;
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, target.QueryInterface(IID_IDataObject, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(S_OK, target.QueryInterface(IID_IDropTarget, &out));
  EXPECT_EQ(static_cast<IDropTarget*>(&target), out);
  EXPECT_EQ(S_OK, target.QueryInterface(IID_IUnknown, &out));
  EXPECT_EQ(3u, target.AddRef());
  EXPECT_EQ(2u, target.Release());
  // Without a drag in progress nothing is forwarded.
  DWORD effect = DROPEFFECT_COPY;
  EXPECT_EQ(S_OK, target.DragOver(0, POINTL{}, &effect));
  EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), effect);
  EXPECT_EQ(S_OK, target.DragLeave());
}

TEST_F(DropArea, AWebAddressBecomesAWebItemAndTheSourceIsToldCopy) {
  FakeData data = FakeData::Url("https://radio.example/live\r\nsecond line");
  DWORD effect = 0;
  EXPECT_EQ(S_OK, f.EnterAndDrop(&data, &effect));
  // Never "move": a source told so deletes what it gave.
  EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), effect);
  EXPECT_NE(static_cast<DWORD>(DROPEFFECT_MOVE), f.entered);
  EXPECT_NE(static_cast<DWORD>(DROPEFFECT_MOVE), f.overEffect);
  EXPECT_FALSE(f.target->HoldsShellTarget());
  EXPECT_EQ(L"Web Media(https://radio.example/live), Holiday(beach.jpg, song.mp3), clip.avi", f.CatalogTreeText());
  EXPECT_TRUE(Seams().boxes.empty());
  f.Cancel();
}

TEST_F(DropArea, TheCursorOffersCopyOrNothing) {
  FakeData data = FakeData::Url("http://radio.example/live");
  for (DWORD allowed : {DWORD(DROPEFFECT_COPY | DROPEFFECT_MOVE), DWORD(DROPEFFECT_MOVE), DWORD(DROPEFFECT_COPY),
                        DWORD(DROPEFFECT_MOVE | DROPEFFECT_LINK), DWORD(DROPEFFECT_NONE)}) {
    DWORD effect = allowed;
    EXPECT_EQ(S_OK, f.target->DragEnter(&data, MK_LBUTTON, POINTL{5, 5}, &effect));
    EXPECT_TRUE(effect == DROPEFFECT_COPY || effect == DROPEFFECT_NONE) << allowed << " -> " << effect;
    if (!(allowed & DROPEFFECT_COPY)) {
      EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), effect) << allowed;
    }
    DWORD over = allowed;
    f.target->DragOver(MK_LBUTTON, POINTL{6, 6}, &over);
    EXPECT_TRUE(over == DROPEFFECT_COPY || over == DROPEFFECT_NONE) << allowed << " -> " << over;
    f.target->DragLeave();
    EXPECT_FALSE(f.target->HoldsShellTarget());
  }
  f.Cancel();
}

TEST_F(DropArea, WithRenameUrlsTheAddressWaitsInTheEditForItsName) {
  f.Click(IDC_RENAME_URLS);
  FakeData data = FakeData::Url("https://tv.example/stream\r\n");
  DWORD effect = 0;
  EXPECT_EQ(S_OK, f.EnterAndDrop(&data, &effect));
  EXPECT_EQ(L"https://tv.example/stream", f.Text(IDC_URL_EDIT));
  EXPECT_TRUE(f.Enabled(IDC_URL_NAME_EDIT));
  EXPECT_TRUE(f.Enabled(IDC_ADD_MEDIA));
  EXPECT_FALSE(f.Enabled(IDC_SAVE_CATALOG));
  EXPECT_EQ(L"Holiday(beach.jpg, song.mp3), clip.avi", f.CatalogTreeText());
  f.SetText(IDC_URL_NAME_EDIT, L"TV");
  f.Click(IDC_ADD_MEDIA);
  EXPECT_EQ(L"Web Media(TV), Holiday(beach.jpg, song.mp3), clip.avi", f.CatalogTreeText());
  f.Cancel();
}

TEST_F(DropArea, AddressTextIsReadOnlyWithinItsMemory) {
  // No terminator: the whole memory is text.
  FakeData data(static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"UniformResourceLocator")),
                "http://x.example/" + std::string(100, 'z'), true);
  DWORD effect = 0;
  EXPECT_EQ(S_OK, f.EnterAndDrop(&data, &effect));
  HWND tree = f.Control(IDC_CATALOG_TREE);
  HTREEITEM web = TreeView_GetChild(tree, f.FindCatalogItem(L"Web Media"));
  ASSERT_NE(nullptr, web);
  wchar_t label[4096] = {};
  TVITEMW item = {};
  item.mask = TVIF_TEXT;
  item.hItem = web;
  item.pszText = label;
  item.cchTextMax = 4096;
  TreeView_GetItem(tree, &item);
  std::wstring url = L"http://x.example/";
  EXPECT_EQ(url + std::wstring(data.lastSize - url.size(), L'z'), std::wstring(label));
  f.Cancel();
}

TEST_F(DropArea, DroppedFoldersAreScannedFilesAndOtherTextAddNothing) {
  std::wstring media = MakeTempFolder(L"keldropzone");
  CreateDirectoryW((media + L"Trip").c_str(), nullptr);
  WriteFileBytes(media + L"Trip\\a.jpg", "x");
  WriteFileBytes(media + L"loose.mp3", "x");
  FakeData folder = FakeData::Paths({media + L"Trip"});
  DWORD effect = 0;
  EXPECT_EQ(S_OK, f.EnterAndDrop(&folder, &effect));
  EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), effect);
  EXPECT_EQ(L"Trip(a.jpg), Holiday(beach.jpg, song.mp3), clip.avi", f.CatalogTreeText());

  struct Case {
    FakeData data;
    HRESULT result;
  };
  Case cases[] = {
      {FakeData::Paths({media + L"loose.mp3"}), S_OK},
      {FakeData::Url("just some words"), S_OK},
      {FakeData::Url(""), S_OK},
      {FakeData(CF_UNICODETEXT, std::string("h\0t\0\0\0", 6)), E_INVALIDARG},
  };
  for (Case& c : cases) {
    effect = 0;
    EXPECT_EQ(c.result, f.EnterAndDrop(&c.data, &effect));
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), effect);
  }
  EXPECT_EQ(L"Trip(a.jpg), Holiday(beach.jpg, song.mp3), clip.avi", f.CatalogTreeText());
  EXPECT_TRUE(Seams().boxes.empty());
  f.Cancel();
  RemoveTree(media);
}

TEST_F(DropArea, ADropWithoutAnAcceptedDragIsRefused) {
  FakeData data = FakeData::Url("http://radio.example/live");
  DWORD effect = DROPEFFECT_COPY;
  EXPECT_EQ(E_FAIL, f.target->Drop(&data, 0, POINTL{}, &effect));
  EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), effect);
  ASSERT_EQ(1u, Seams().boxes.size());
  EXPECT_EQ(L"\nCDropTarget::Drop!\n", Seams().boxes[0].text);
  EXPECT_EQ(L"ERROR: Dropping on Drop Target", Seams().boxes[0].caption);
  EXPECT_EQ(static_cast<UINT>(MB_TOPMOST | MB_ICONEXCLAMATION), Seams().boxes[0].style);
  EXPECT_EQ(L"Holiday(beach.jpg, song.mp3), clip.avi", f.CatalogTreeText());
  f.Cancel();
}

}  // namespace
