#pragma once
#include <windows.h>
#include <msxml2.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "platform/ComPtr.h"

// A stand-in for the platform's DOM document class, registered in its place
// while a FakeDomScope lives. It makes visible what the real DOM never does on
// demand here: a load that fails with an error code (as the platform's DOM
// does for some paths) and calls that fail in the middle of a walk. The fake
// holds one fixed tree of elements; everything the readers do not use
// answers E_NOTIMPL.

struct FakeDomBehaviour {
  HRESULT loadResult = S_OK;       // what load returns (success loads the tree)
  int failAttributeReadsFrom = -1;  // getAttribute fails from this call on (0-based, whole tree)
};

// An element of the fake tree: name, attributes in order, children (fake
// elements made here).
ComPtr<IXMLDOMElement> MakeFakeElement(const std::wstring& name,
                                       std::vector<std::pair<std::wstring, std::wstring>> attributes,
                                       std::initializer_list<ComPtr<IXMLDOMElement>> children = {});

void AddFakeChild(const ComPtr<IXMLDOMElement>& parent, const ComPtr<IXMLDOMElement>& child);

class FakeDomScope {
 public:
  FakeDomScope(const FakeDomBehaviour& behaviour, ComPtr<IXMLDOMElement> root);
  ~FakeDomScope();
  FakeDomScope(const FakeDomScope&) = delete;
  FakeDomScope& operator=(const FakeDomScope&) = delete;

  bool Registered() const { return cookie_ != 0; }
  int AttributeReads() const;

 private:
  DWORD cookie_ = 0;
  bool comInitialised_ = false;
};
