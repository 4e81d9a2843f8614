#pragma once
#include <windows.h>
#include <ole2.h>

// The OLE drop target of the dialog's drop area: web addresses become web
// items of the catalog (or go to the URL edit to be named), dropped folders
// are scanned into it. The cursor feedback is borrowed from the shell's drop
// target of the install folder, but the drop is never handed to the shell,
// and the source is only ever offered a copy: nothing dropped here may be
// moved away from where it was.
#include <string>

class CDropTarget : public IDropTarget {
 public:
  CDropTarget();
  virtual ~CDropTarget();

  // The settings dialog; set by its object once registered.
  HWND window = nullptr;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
  STDMETHODIMP DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
  STDMETHODIMP DragLeave() override;
  STDMETHODIMP Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

  bool HoldsShellTarget() const { return shellTarget_ != nullptr; }

  // Test seam: what gives the shell's drop target of a folder (a counted
  // reference, or null); null restores the shell's own.
  using ShellTargetBinder = IDropTarget* (*)(const std::wstring& folder);
  static void SetShellTargetBinderForTests(ShellTargetBinder binder);

 private:
  void ReleaseShellTarget();
  bool DropAddress(IDataObject* data, bool* added);
  bool DropPaths(IDataObject* data, bool* added);

  LONG references_ = 0;
  IDropTarget* shellTarget_ = nullptr;
};
