#pragma once
#include <windows.h>
#include <msxml2.h>

#include <cstddef>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "media/MSXMLParser.h"
#include "platform/ComPtr.h"

// A stand-in for the platform's DOM document class, registered in its place
// while a FakeDomScope lives. It makes visible what the real DOM never does on
// demand here: a load that fails with an error code (as the platform's DOM
// does for some paths), calls that fail or give no node, the order of the
// document's own calls, and every reference taken on its nodes. The fake
// holds one fixed tree of elements, with a declaration before it if asked;
// everything the wrapper and the readers do not use answers E_NOTIMPL.
//
// All of it is in this header, so that any test program can use it by
// including it.

// How one kind of call goes wrong: from its call number `from` on (0-based,
// counted per document; -1: never), with `result`, a failure code, or S_OK
// for a call that succeeds but gives no node.
struct FakeFailure {
  int from = -1;
  HRESULT result = E_FAIL;
};

struct FakeDomBehaviour {
  HRESULT loadResult = S_OK;        // what load returns (success loads the tree)
  int failAttributeReadsFrom = -1;  // getAttribute fails from this call on (0-based, whole tree)
  std::wstring declaration;         // data of an "xml" instruction before the loaded root; empty: none
  // The document's own calls that the declaration rules use.
  FakeFailure createInstruction;
  FakeFailure appendChild;
  FakeFailure insertBefore;
  FakeFailure replaceChild;
};

namespace fake_dom {

const IID kIID_IXMLDOMNode = {0x2933BF80, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID kIID_IXMLDOMProcessingInstruction = {
    0x2933BF89, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

struct State {
  FakeDomBehaviour behaviour;
  IXMLDOMElement* root = nullptr;  // counted: see FakeDomScope
  int attributeReads = 0;
  std::vector<std::wstring> documentCalls;
  // Every fake node alive, and the references held on them all.
  long liveObjects = 0;
  long liveReferences = 0;
};

inline State& Global() {
  static State state;
  return state;
}

inline HRESULT ReturnNode(IXMLDOMNode* node, IXMLDOMNode** out) {
  if (!out) return E_POINTER;
  *out = node;
  if (!node) return S_FALSE;
  node->AddRef();
  return S_OK;
}

inline HRESULT ReturnText(const std::wstring& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return S_OK;
}

// Whether this call (counted in calls) goes wrong, and with what result.
inline bool GoesWrong(const FakeFailure& failure, int& calls, HRESULT* result) {
  int call = calls++;
  if (failure.from < 0 || call < failure.from) return false;
  *result = failure.result;
  return true;
}

// The tree part that every fake node has.
class Object {
 public:
  virtual ~Object() = default;
  virtual IXMLDOMNode* Self() = 0;
  virtual bool LastReference() const = 0;

  Object* parent = nullptr;  // not counted: the parent owns its children
  std::vector<ComPtr<IXMLDOMNode>> children;

  // The place of child among the children; children.size() when absent.
  size_t IndexOf(IXMLDOMNode* child) const {
    size_t i = 0;
    while (i < children.size() && children[i].Get() != child) ++i;
    return i;
  }
  void Adopt(IXMLDOMNode* child, size_t at);

  // Children are let go one level at a time, so a very deep tree does not
  // unwind through the stack.
  void ReleaseChildren();
};

// Every node that reaches the fake was made by it.
inline Object* AsFake(IUnknown* node) { return dynamic_cast<Object*>(node); }

inline void Object::Adopt(IXMLDOMNode* child, size_t at) {
  Object* fake = AsFake(child);
  ComPtr<IXMLDOMNode> held(child);
  if (fake->parent) {
    // A node has one place: it leaves the old one first.
    size_t old = fake->parent->IndexOf(child);
    if (fake->parent == this && old < at) --at;
    fake->parent->children.erase(fake->parent->children.begin() + static_cast<std::ptrdiff_t>(old));
  }
  fake->parent = this;
  children.insert(children.begin() + static_cast<std::ptrdiff_t>(at), std::move(held));
}

inline void Object::ReleaseChildren() {
  std::vector<ComPtr<IXMLDOMNode>> pending = std::move(children);
  children.clear();
  while (!pending.empty()) {
    ComPtr<IXMLDOMNode> child = std::move(pending.back());
    pending.pop_back();
    Object* fake = AsFake(child.Get());
    fake->parent = nullptr;
    if (!fake->LastReference()) continue;
    for (ComPtr<IXMLDOMNode>& grandchild : fake->children) pending.push_back(std::move(grandchild));
    fake->children.clear();
  }
}

#define FAKE_NOT_USED(signature) \
  HRESULT WINAPI signature override { return E_NOTIMPL; }

// IUnknown's counts, IDispatch, moving about the tree, and the IXMLDOMNode
// operations the fake leaves out.
template <class Interface>
class NodeBase : public Interface, public Object {
 public:
  NodeBase() {
    ++Global().liveObjects;
    ++Global().liveReferences;
  }
  ~NodeBase() override {
    ReleaseChildren();
    --Global().liveObjects;
  }

  IXMLDOMNode* Self() override { return this; }
  bool LastReference() const override { return refs_ == 1; }

  ULONG WINAPI AddRef() override {
    ++Global().liveReferences;
    return InterlockedIncrement(&refs_);
  }
  ULONG WINAPI Release() override {
    --Global().liveReferences;
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }

  FAKE_NOT_USED(GetTypeInfoCount(UINT*))
  FAKE_NOT_USED(GetTypeInfo(UINT, LCID, ITypeInfo**))
  FAKE_NOT_USED(GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*))
  FAKE_NOT_USED(Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*))

  HRESULT WINAPI get_parentNode(IXMLDOMNode** out) override { return ReturnNode(parent ? parent->Self() : nullptr, out); }
  HRESULT WINAPI get_firstChild(IXMLDOMNode** out) override {
    return ReturnNode(children.empty() ? nullptr : children.front().Get(), out);
  }
  HRESULT WINAPI get_lastChild(IXMLDOMNode** out) override {
    return ReturnNode(children.empty() ? nullptr : children.back().Get(), out);
  }
  HRESULT WINAPI get_nextSibling(IXMLDOMNode** out) override {
    if (!parent) return ReturnNode(nullptr, out);
    size_t i = parent->IndexOf(this);
    return ReturnNode(i + 1 < parent->children.size() ? parent->children[i + 1].Get() : nullptr, out);
  }
  HRESULT WINAPI get_previousSibling(IXMLDOMNode** out) override {
    if (!parent) return ReturnNode(nullptr, out);
    size_t i = parent->IndexOf(this);
    return ReturnNode(i > 0 && i < parent->children.size() ? parent->children[i - 1].Get() : nullptr, out);
  }
  HRESULT WINAPI hasChildNodes(VARIANT_BOOL* out) override {
    *out = children.empty() ? VARIANT_FALSE : VARIANT_TRUE;
    return children.empty() ? S_FALSE : S_OK;
  }
  // No attribute maps: the readers ask elements for their attributes by name.
  HRESULT WINAPI get_attributes(IXMLDOMNamedNodeMap** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return S_FALSE;
  }

  FAKE_NOT_USED(get_nodeValue(VARIANT*))
  FAKE_NOT_USED(put_nodeValue(VARIANT))
  FAKE_NOT_USED(get_childNodes(IXMLDOMNodeList**))
  FAKE_NOT_USED(insertBefore(IXMLDOMNode*, VARIANT, IXMLDOMNode**))
  FAKE_NOT_USED(replaceChild(IXMLDOMNode*, IXMLDOMNode*, IXMLDOMNode**))
  FAKE_NOT_USED(removeChild(IXMLDOMNode*, IXMLDOMNode**))
  FAKE_NOT_USED(appendChild(IXMLDOMNode*, IXMLDOMNode**))
  FAKE_NOT_USED(get_ownerDocument(IXMLDOMDocument**))
  FAKE_NOT_USED(cloneNode(VARIANT_BOOL, IXMLDOMNode**))
  FAKE_NOT_USED(get_nodeTypeString(BSTR*))
  FAKE_NOT_USED(get_text(BSTR*))
  FAKE_NOT_USED(put_text(BSTR))
  FAKE_NOT_USED(get_specified(VARIANT_BOOL*))
  FAKE_NOT_USED(get_definition(IXMLDOMNode**))
  FAKE_NOT_USED(get_nodeTypedValue(VARIANT*))
  FAKE_NOT_USED(put_nodeTypedValue(VARIANT))
  FAKE_NOT_USED(get_dataType(VARIANT*))
  FAKE_NOT_USED(put_dataType(BSTR))
  FAKE_NOT_USED(get_xml(BSTR*))
  FAKE_NOT_USED(transformNode(IXMLDOMNode*, BSTR*))
  FAKE_NOT_USED(selectNodes(BSTR, IXMLDOMNodeList**))
  FAKE_NOT_USED(selectSingleNode(BSTR, IXMLDOMNode**))
  FAKE_NOT_USED(get_parsed(VARIANT_BOOL*))
  FAKE_NOT_USED(get_namespaceURI(BSTR*))
  FAKE_NOT_USED(get_prefix(BSTR*))
  FAKE_NOT_USED(get_baseName(BSTR*))
  FAKE_NOT_USED(transformNodeToObject(IXMLDOMNode*, VARIANT))

 protected:
  // The interfaces this node answers to, besides IUnknown, IDispatch and
  // IXMLDOMNode.
  HRESULT Answer(REFIID iid, const IID& own, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kIID_IXMLDOMNode) ||
        IsEqualIID(iid, own)) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }

 private:
  LONG refs_ = 1;
};

class Element : public NodeBase<IXMLDOMElement> {
 public:
  Element(std::wstring name, std::vector<std::pair<std::wstring, std::wstring>> attributes)
      : name_(std::move(name)), attributes_(std::move(attributes)) {}

  HRESULT WINAPI QueryInterface(REFIID iid, void** out) override { return Answer(iid, kIID_IXMLDOMElement, out); }

  HRESULT WINAPI get_nodeName(BSTR* out) override { return ReturnText(name_, out); }
  HRESULT WINAPI get_nodeType(DOMNodeType* out) override {
    *out = NODE_ELEMENT;
    return S_OK;
  }

  HRESULT WINAPI get_tagName(BSTR* out) override { return ReturnText(name_, out); }
  HRESULT WINAPI getAttribute(BSTR name, VARIANT* out) override {
    int call = Global().attributeReads++;
    if (Global().behaviour.failAttributeReadsFrom >= 0 && call >= Global().behaviour.failAttributeReadsFrom)
      return E_FAIL;
    VariantInit(out);
    std::wstring wanted(name, SysStringLen(name));
    for (const auto& attribute : attributes_) {
      if (attribute.first != wanted) continue;
      out->vt = VT_BSTR;
      return ReturnText(attribute.second, &out->bstrVal);
    }
    out->vt = VT_NULL;
    return S_FALSE;
  }
  FAKE_NOT_USED(setAttribute(BSTR, VARIANT))
  FAKE_NOT_USED(removeAttribute(BSTR))
  FAKE_NOT_USED(getAttributeNode(BSTR, IXMLDOMAttribute**))
  FAKE_NOT_USED(setAttributeNode(IXMLDOMAttribute*, IXMLDOMAttribute**))
  FAKE_NOT_USED(removeAttributeNode(IXMLDOMAttribute*, IXMLDOMAttribute**))
  FAKE_NOT_USED(getElementsByTagName(BSTR, IXMLDOMNodeList**))
  FAKE_NOT_USED(normalize())

 private:
  std::wstring name_;
  std::vector<std::pair<std::wstring, std::wstring>> attributes_;
};

class Instruction : public NodeBase<IXMLDOMProcessingInstruction> {
 public:
  Instruction(std::wstring target, std::wstring data) : target_(std::move(target)), data_(std::move(data)) {}

  HRESULT WINAPI QueryInterface(REFIID iid, void** out) override {
    return Answer(iid, kIID_IXMLDOMProcessingInstruction, out);
  }

  HRESULT WINAPI get_nodeName(BSTR* out) override { return ReturnText(target_, out); }
  HRESULT WINAPI get_baseName(BSTR* out) override { return ReturnText(target_, out); }
  HRESULT WINAPI get_nodeType(DOMNodeType* out) override {
    *out = NODE_PROCESSING_INSTRUCTION;
    return S_OK;
  }
  HRESULT WINAPI get_text(BSTR* out) override { return ReturnText(data_, out); }
  HRESULT WINAPI get_target(BSTR* out) override { return ReturnText(target_, out); }
  HRESULT WINAPI get_data(BSTR* out) override { return ReturnText(data_, out); }
  FAKE_NOT_USED(put_data(BSTR))

 private:
  std::wstring target_;
  std::wstring data_;
};

class Document : public NodeBase<IXMLDOMDocument> {
 public:
  HRESULT WINAPI QueryInterface(REFIID iid, void** out) override { return Answer(iid, kIID_IXMLDOMDocument, out); }

  HRESULT WINAPI get_nodeName(BSTR* out) override { return ReturnText(L"#document", out); }
  HRESULT WINAPI get_nodeType(DOMNodeType* out) override {
    *out = NODE_DOCUMENT;
    return S_OK;
  }

  HRESULT WINAPI get_documentElement(IXMLDOMElement** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (const ComPtr<IXMLDOMNode>& child : children) {
      DOMNodeType type = NODE_INVALID;
      child->get_nodeType(&type);
      if (type != NODE_ELEMENT) continue;
      return child->QueryInterface(kIID_IXMLDOMElement, reinterpret_cast<void**>(out));
    }
    return S_FALSE;
  }
  HRESULT WINAPI put_async(VARIANT_BOOL async) override {
    Global().documentCalls.push_back(async == VARIANT_FALSE ? L"put_async(false)" : L"put_async(true)");
    return S_OK;
  }
  HRESULT WINAPI load(VARIANT source, VARIANT_BOOL* ok) override {
    Global().documentCalls.push_back(source.vt == VT_BSTR                  ? L"load(path)"
                                     : source.vt == (VT_ARRAY | VT_UI1) ? L"load(bytes)"
                                                                         : L"load(other)");
    *ok = VARIANT_FALSE;
    const FakeDomBehaviour& behaviour = Global().behaviour;
    if (FAILED(behaviour.loadResult)) return behaviour.loadResult;
    if (!Global().root) return S_FALSE;
    if (!behaviour.declaration.empty()) {
      ComPtr<IXMLDOMNode> declaration = ComPtr<IXMLDOMNode>::Adopt(new Instruction(L"xml", behaviour.declaration));
      Adopt(declaration.Get(), children.size());
    }
    Adopt(Global().root, children.size());
    *ok = VARIANT_TRUE;
    return S_OK;
  }

  HRESULT WINAPI createProcessingInstruction(BSTR target, BSTR data, IXMLDOMProcessingInstruction** out) override {
    *out = nullptr;
    HRESULT result = S_OK;
    if (GoesWrong(Global().behaviour.createInstruction, createInstructionCalls_, &result)) return result;
    *out = new Instruction(std::wstring(target, SysStringLen(target)), std::wstring(data, SysStringLen(data)));
    return S_OK;
  }
  HRESULT WINAPI appendChild(IXMLDOMNode* child, IXMLDOMNode** out) override {
    if (out) *out = nullptr;
    HRESULT result = S_OK;
    if (GoesWrong(Global().behaviour.appendChild, appendChildCalls_, &result)) return result;
    Adopt(child, children.size());
    return out ? ReturnNode(child, out) : S_OK;
  }
  HRESULT WINAPI insertBefore(IXMLDOMNode* child, VARIANT before, IXMLDOMNode** out) override {
    if (out) *out = nullptr;
    HRESULT result = S_OK;
    if (GoesWrong(Global().behaviour.insertBefore, insertBeforeCalls_, &result)) return result;
    IXMLDOMNode* reference = nullptr;
    if (before.vt == VT_UNKNOWN && before.punkVal) reference = AsFake(before.punkVal)->Self();
    Adopt(child, reference ? IndexOf(reference) : children.size());
    return out ? ReturnNode(child, out) : S_OK;
  }
  HRESULT WINAPI replaceChild(IXMLDOMNode* child, IXMLDOMNode* old, IXMLDOMNode** out) override {
    if (out) *out = nullptr;
    HRESULT result = S_OK;
    if (GoesWrong(Global().behaviour.replaceChild, replaceChildCalls_, &result)) return result;
    size_t at = IndexOf(old);
    if (at == children.size()) return E_INVALIDARG;
    ComPtr<IXMLDOMNode> removed = std::move(children[at]);
    children.erase(children.begin() + static_cast<std::ptrdiff_t>(at));
    AsFake(removed.Get())->parent = nullptr;
    Adopt(child, at);
    return out ? ReturnNode(removed.Get(), out) : S_OK;
  }

  FAKE_NOT_USED(get_doctype(IXMLDOMDocumentType**))
  FAKE_NOT_USED(get_implementation(IXMLDOMImplementation**))
  FAKE_NOT_USED(putref_documentElement(IXMLDOMElement*))
  FAKE_NOT_USED(createElement(BSTR, IXMLDOMElement**))
  FAKE_NOT_USED(createDocumentFragment(IXMLDOMDocumentFragment**))
  FAKE_NOT_USED(createTextNode(BSTR, IXMLDOMText**))
  FAKE_NOT_USED(createComment(BSTR, IXMLDOMComment**))
  FAKE_NOT_USED(createCDATASection(BSTR, IXMLDOMCDATASection**))
  FAKE_NOT_USED(createAttribute(BSTR, IXMLDOMAttribute**))
  FAKE_NOT_USED(createEntityReference(BSTR, IXMLDOMEntityReference**))
  FAKE_NOT_USED(getElementsByTagName(BSTR, IXMLDOMNodeList**))
  FAKE_NOT_USED(createNode(VARIANT, BSTR, BSTR, IXMLDOMNode**))
  FAKE_NOT_USED(nodeFromID(BSTR, IXMLDOMNode**))
  FAKE_NOT_USED(get_readyState(long*))
  FAKE_NOT_USED(get_parseError(IXMLDOMParseError**))
  FAKE_NOT_USED(get_url(BSTR*))
  FAKE_NOT_USED(get_async(VARIANT_BOOL*))
  FAKE_NOT_USED(abort())
  FAKE_NOT_USED(loadXML(BSTR, VARIANT_BOOL*))
  FAKE_NOT_USED(save(VARIANT))
  FAKE_NOT_USED(get_validateOnParse(VARIANT_BOOL*))
  FAKE_NOT_USED(put_validateOnParse(VARIANT_BOOL))
  FAKE_NOT_USED(get_resolveExternals(VARIANT_BOOL*))
  FAKE_NOT_USED(put_resolveExternals(VARIANT_BOOL))
  FAKE_NOT_USED(get_preserveWhiteSpace(VARIANT_BOOL*))
  FAKE_NOT_USED(put_preserveWhiteSpace(VARIANT_BOOL))
  FAKE_NOT_USED(put_onreadystatechange(VARIANT))
  FAKE_NOT_USED(put_ondataavailable(VARIANT))
  FAKE_NOT_USED(put_ontransformnode(VARIANT))

 private:
  int createInstructionCalls_ = 0;
  int appendChildCalls_ = 0;
  int insertBeforeCalls_ = 0;
  int replaceChildCalls_ = 0;
};

#undef FAKE_NOT_USED

class Factory : public IClassFactory {
 public:
  HRESULT WINAPI QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // Static storage: the registration's counts need not free anything.
  ULONG WINAPI AddRef() override { return 2; }
  ULONG WINAPI Release() override { return 1; }
  HRESULT WINAPI CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* document = new Document;
    HRESULT hr = document->QueryInterface(iid, out);
    document->Release();
    return hr;
  }
  HRESULT WINAPI LockServer(BOOL) override { return S_OK; }
};

inline Factory& TheFactory() {
  static Factory factory;
  return factory;
}

}  // namespace fake_dom

// An element of the fake tree: name, attributes in order, children (fake
// elements made here).
inline ComPtr<IXMLDOMElement> MakeFakeElement(const std::wstring& name,
                                              std::vector<std::pair<std::wstring, std::wstring>> attributes,
                                              std::initializer_list<ComPtr<IXMLDOMElement>> children = {}) {
  auto* element = new fake_dom::Element(name, std::move(attributes));
  for (const ComPtr<IXMLDOMElement>& child : children) element->Adopt(child.Get(), element->children.size());
  return ComPtr<IXMLDOMElement>::Adopt(element);
}

inline void AddFakeChild(const ComPtr<IXMLDOMElement>& parent, const ComPtr<IXMLDOMElement>& child) {
  fake_dom::Object* fake = fake_dom::AsFake(parent.Get());
  fake->Adopt(child.Get(), fake->children.size());
}

class FakeDomScope {
 public:
  FakeDomScope(const FakeDomBehaviour& behaviour, ComPtr<IXMLDOMElement> root) {
    // Registration needs COM on this thread.
    comInitialised_ = SUCCEEDED(CoInitialize(nullptr));
    fake_dom::State& state = fake_dom::Global();
    state.behaviour = behaviour;
    state.root = root.Get();
    if (state.root) state.root->AddRef();
    state.attributeReads = 0;
    state.documentCalls.clear();
    if (FAILED(CoRegisterClassObject(kCLSID_DOMDocument, &fake_dom::TheFactory(), CLSCTX_INPROC_SERVER,
                                     REGCLS_MULTIPLEUSE, &cookie_)))
      cookie_ = 0;
  }
  ~FakeDomScope() {
    if (cookie_) CoRevokeClassObject(cookie_);
    fake_dom::State& state = fake_dom::Global();
    if (state.root) state.root->Release();
    state.root = nullptr;
    if (comInitialised_) CoUninitialize();
  }
  FakeDomScope(const FakeDomScope&) = delete;
  FakeDomScope& operator=(const FakeDomScope&) = delete;

  bool Registered() const { return cookie_ != 0; }
  int AttributeReads() const { return fake_dom::Global().attributeReads; }
  // put_async and load, in the order the documents were given them.
  std::vector<std::wstring> DocumentCalls() const { return fake_dom::Global().documentCalls; }
  // Fake nodes (documents included) alive, and the references held on them:
  // whatever a user of the DOM takes, it gives back, so both return to what
  // they were before it ran.
  long LiveObjects() const { return fake_dom::Global().liveObjects; }
  long LiveReferences() const { return fake_dom::Global().liveReferences; }

 private:
  DWORD cookie_ = 0;
  bool comInitialised_ = false;
};
