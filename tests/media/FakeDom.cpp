#include "FakeDom.h"

#include "media/MSXMLParser.h"

namespace {

const IID kIID_IXMLDOMNode = {0x2933BF80, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

class FakeElement;

struct FakeState {
  FakeDomBehaviour behaviour;
  FakeElement* root = nullptr;  // counted: see FakeDomScope
  int attributeReads = 0;
} g_state;

HRESULT ReturnNode(IXMLDOMNode* node, IXMLDOMNode** out) {
  if (!out) return E_POINTER;
  *out = node;
  if (!node) return S_FALSE;
  node->AddRef();
  return S_OK;
}

HRESULT ReturnText(const std::wstring& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return S_OK;
}

#define FAKE_NOT_USED(signature) \
  HRESULT WINAPI signature override { return E_NOTIMPL; }

// IUnknown, IDispatch and the IXMLDOMNode operations the fake leaves out.
template <class Interface>
class FakeNodeBase : public Interface {
 public:
  virtual ~FakeNodeBase() = default;

  // True while the only count is the caller's.
  bool LastReference() const { return refs_ == 1; }

  ULONG WINAPI AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG WINAPI Release() override {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }

  FAKE_NOT_USED(GetTypeInfoCount(UINT*))
  FAKE_NOT_USED(GetTypeInfo(UINT, LCID, ITypeInfo**))
  FAKE_NOT_USED(GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*))
  FAKE_NOT_USED(Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*))

  FAKE_NOT_USED(get_nodeValue(VARIANT*))
  FAKE_NOT_USED(put_nodeValue(VARIANT))
  FAKE_NOT_USED(get_childNodes(IXMLDOMNodeList**))
  FAKE_NOT_USED(get_lastChild(IXMLDOMNode**))
  FAKE_NOT_USED(get_previousSibling(IXMLDOMNode**))
  FAKE_NOT_USED(insertBefore(IXMLDOMNode*, VARIANT, IXMLDOMNode**))
  FAKE_NOT_USED(replaceChild(IXMLDOMNode*, IXMLDOMNode*, IXMLDOMNode**))
  FAKE_NOT_USED(removeChild(IXMLDOMNode*, IXMLDOMNode**))
  FAKE_NOT_USED(appendChild(IXMLDOMNode*, IXMLDOMNode**))
  FAKE_NOT_USED(hasChildNodes(VARIANT_BOOL*))
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

  // No attribute maps: the readers ask elements for their attributes by name.
  HRESULT WINAPI get_attributes(IXMLDOMNamedNodeMap** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return S_FALSE;
  }

 private:
  LONG refs_ = 1;
};

class FakeElement : public FakeNodeBase<IXMLDOMElement> {
 public:
  FakeElement(std::wstring name, std::vector<std::pair<std::wstring, std::wstring>> attributes)
      : name_(std::move(name)), attributes_(std::move(attributes)) {}

  // Children are let go one level at a time, so a very deep tree does not
  // unwind through the stack.
  ~FakeElement() override {
    std::vector<ComPtr<FakeElement>> pending = std::move(children_);
    while (!pending.empty()) {
      ComPtr<FakeElement> child = std::move(pending.back());
      pending.pop_back();
      if (!child->LastReference()) continue;
      for (ComPtr<FakeElement>& grandchild : child->children_) pending.push_back(std::move(grandchild));
      child->children_.clear();
    }
  }

  void Adopt(FakeElement* child) {
    child->parent_ = this;
    children_.push_back(ComPtr<FakeElement>(child));
  }
  void SetParent(IXMLDOMNode* parent) { parent_ = parent; }

  HRESULT WINAPI QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kIID_IXMLDOMNode) ||
        IsEqualIID(iid, kIID_IXMLDOMElement)) {
      *out = static_cast<IXMLDOMElement*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }

  HRESULT WINAPI get_nodeName(BSTR* out) override { return ReturnText(name_, out); }
  HRESULT WINAPI get_nodeType(DOMNodeType* out) override {
    *out = NODE_ELEMENT;
    return S_OK;
  }
  HRESULT WINAPI get_parentNode(IXMLDOMNode** out) override { return ReturnNode(parent_, out); }
  HRESULT WINAPI get_firstChild(IXMLDOMNode** out) override {
    return ReturnNode(children_.empty() ? nullptr : children_.front().Get(), out);
  }
  HRESULT WINAPI get_nextSibling(IXMLDOMNode** out) override {
    auto* parent = dynamic_cast<FakeElement*>(parent_);
    if (!parent) return ReturnNode(nullptr, out);
    for (size_t i = 0; i + 1 < parent->children_.size(); ++i)
      if (parent->children_[i].Get() == this) return ReturnNode(parent->children_[i + 1].Get(), out);
    return ReturnNode(nullptr, out);
  }

  HRESULT WINAPI get_tagName(BSTR* out) override { return ReturnText(name_, out); }
  HRESULT WINAPI getAttribute(BSTR name, VARIANT* out) override {
    int call = g_state.attributeReads++;
    if (g_state.behaviour.failAttributeReadsFrom >= 0 && call >= g_state.behaviour.failAttributeReadsFrom)
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
  std::vector<ComPtr<FakeElement>> children_;
  IXMLDOMNode* parent_ = nullptr;  // not counted: the parent owns its children
};

class FakeDocument : public FakeNodeBase<IXMLDOMDocument> {
 public:
  ~FakeDocument() override {
    if (loaded_) g_state.root->SetParent(nullptr);
  }

  HRESULT WINAPI QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kIID_IXMLDOMNode) ||
        IsEqualIID(iid, kIID_IXMLDOMDocument)) {
      *out = static_cast<IXMLDOMDocument*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }

  HRESULT WINAPI get_nodeName(BSTR* out) override { return ReturnText(L"#document", out); }
  HRESULT WINAPI get_nodeType(DOMNodeType* out) override {
    *out = NODE_DOCUMENT;
    return S_OK;
  }
  HRESULT WINAPI get_parentNode(IXMLDOMNode** out) override { return ReturnNode(nullptr, out); }
  HRESULT WINAPI get_firstChild(IXMLDOMNode** out) override { return ReturnNode(Root(), out); }
  HRESULT WINAPI get_nextSibling(IXMLDOMNode** out) override { return ReturnNode(nullptr, out); }

  HRESULT WINAPI get_documentElement(IXMLDOMElement** out) override {
    if (!out) return E_POINTER;
    *out = Root();
    if (!*out) return S_FALSE;
    (*out)->AddRef();
    return S_OK;
  }
  HRESULT WINAPI put_async(VARIANT_BOOL) override { return S_OK; }
  HRESULT WINAPI load(VARIANT, VARIANT_BOOL* ok) override {
    *ok = VARIANT_FALSE;
    if (FAILED(g_state.behaviour.loadResult)) return g_state.behaviour.loadResult;
    loaded_ = g_state.root != nullptr;
    if (loaded_) g_state.root->SetParent(this);
    *ok = loaded_ ? VARIANT_TRUE : VARIANT_FALSE;
    return loaded_ ? S_OK : S_FALSE;
  }

  FAKE_NOT_USED(get_doctype(IXMLDOMDocumentType**))
  FAKE_NOT_USED(get_implementation(IXMLDOMImplementation**))
  FAKE_NOT_USED(putref_documentElement(IXMLDOMElement*))
  FAKE_NOT_USED(createElement(BSTR, IXMLDOMElement**))
  FAKE_NOT_USED(createDocumentFragment(IXMLDOMDocumentFragment**))
  FAKE_NOT_USED(createTextNode(BSTR, IXMLDOMText**))
  FAKE_NOT_USED(createComment(BSTR, IXMLDOMComment**))
  FAKE_NOT_USED(createCDATASection(BSTR, IXMLDOMCDATASection**))
  FAKE_NOT_USED(createProcessingInstruction(BSTR, BSTR, IXMLDOMProcessingInstruction**))
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
  FakeElement* Root() const { return loaded_ ? g_state.root : nullptr; }
  bool loaded_ = false;
};

class FakeFactory : public IClassFactory {
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
    auto* document = new FakeDocument;
    HRESULT hr = document->QueryInterface(iid, out);
    document->Release();
    return hr;
  }
  HRESULT WINAPI LockServer(BOOL) override { return S_OK; }
} g_factory;

}  // namespace

// Every element handed out here is a FakeElement.
ComPtr<IXMLDOMElement> MakeFakeElement(const std::wstring& name,
                                       std::vector<std::pair<std::wstring, std::wstring>> attributes,
                                       std::initializer_list<ComPtr<IXMLDOMElement>> children) {
  auto* element = new FakeElement(name, std::move(attributes));
  for (const ComPtr<IXMLDOMElement>& child : children) element->Adopt(static_cast<FakeElement*>(child.Get()));
  return ComPtr<IXMLDOMElement>::Adopt(element);
}

void AddFakeChild(const ComPtr<IXMLDOMElement>& parent, const ComPtr<IXMLDOMElement>& child) {
  static_cast<FakeElement*>(parent.Get())->Adopt(static_cast<FakeElement*>(child.Get()));
}

FakeDomScope::FakeDomScope(const FakeDomBehaviour& behaviour, ComPtr<IXMLDOMElement> root) {
  // Registration needs COM on this thread.
  comInitialised_ = SUCCEEDED(CoInitialize(nullptr));
  g_state.behaviour = behaviour;
  g_state.root = static_cast<FakeElement*>(root.Get());
  if (g_state.root) g_state.root->AddRef();
  g_state.attributeReads = 0;
  if (FAILED(CoRegisterClassObject(kCLSID_DOMDocument, &g_factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                   &cookie_)))
    cookie_ = 0;
}

FakeDomScope::~FakeDomScope() {
  if (cookie_) CoRevokeClassObject(cookie_);
  if (g_state.root) g_state.root->Release();
  g_state.root = nullptr;
  if (comInitialised_) CoUninitialize();
}

int FakeDomScope::AttributeReads() const { return g_state.attributeReads; }
