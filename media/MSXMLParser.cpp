#include "media/MSXMLParser.h"

#include <comdef.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <utility>

#include "platform/Scoped.h"

// {2933BF90-7B36-11D2-B20E-00C04F983E60}: the version-independent DOM
// document class.
const CLSID kCLSID_DOMDocument = {0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID kIID_IXMLDOMDocument = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID kIID_IXMLDOMElement = {0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

namespace {

// The first document created in the process initialises COM on its thread;
// the threads that use the wrapper initialise COM themselves as well.
std::atomic<bool> g_comInitialised{false};

const wchar_t kVersionPrefix[] = L"version=\"1.0\" ";

// Whether the DOM may take these bytes as UTF-8: no byte-order mark of
// UTF-16 or UTF-32, and a declaration that names no other encoding (without
// one, XML means UTF-8). A declaration that does not end early on is left to
// the DOM.
bool IsUtf8Xml(const BYTE* bytes, size_t size) {
  if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    bytes += 3;
    size -= 3;
  }
  if (size < 4) return false;
  for (size_t i = 0; i < 4; ++i)
    if (bytes[i] == 0 || bytes[i] >= 0xFE) return false;
  std::string head(reinterpret_cast<const char*>(bytes), std::min<size_t>(size, 512));
  if (head.compare(0, 5, "<?xml") != 0) return true;
  size_t end = head.find("?>");
  if (end == std::string::npos) return false;
  head.resize(end);
  size_t at = head.find("encoding");
  if (at == std::string::npos) return true;
  at = head.find_first_of("\"'", at);
  if (at == std::string::npos) return false;
  size_t close = head.find(head[at], at + 1);
  if (close == std::string::npos) return false;
  std::string name = head.substr(at + 1, close - at - 1);
  return CompareStringOrdinal(std::wstring(name.begin(), name.end()).c_str(), -1, L"UTF-8", -1, TRUE) == CSTR_EQUAL;
}

// A UTF-8 file as a byte array for load; empty when the file is anything
// else or cannot be read here. Given a path, Wine's DOM reads the file into
// a memory stream grown 4 KB at a time, which makes a large catalog's load
// quadratic (seconds at 100,000 entries); given the bytes it parses them in
// one go, but always as UTF-8. Other files go by path, as before.
ComVariant Utf8FileBytes(const std::wstring& path) {
  ComVariant out;
  // Shared for writing too: the settings dialog may be saving the catalog
  // while the show reads it, and must not be refused for that.
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size{};
  if (!file.Valid() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 || size.QuadPart >= 0x40000000)
    return out;
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(size.QuadPart));
  if (!array) return out;
  VARIANT* v = out.Receive();
  v->vt = VT_ARRAY | VT_UI1;
  v->parray = array;  // owned by out from here on

  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(array, &data))) return ComVariant();
  DWORD read = 0;
  bool whole = ReadFile(file.Get(), data, static_cast<DWORD>(size.QuadPart), &read, nullptr) &&
               read == static_cast<DWORD>(size.QuadPart);
  bool utf8 = whole && IsUtf8Xml(static_cast<const BYTE*>(data), read);
  SafeArrayUnaccessData(array);
  return utf8 ? std::move(out) : ComVariant();
}

}  // namespace

void RaiseComError(HRESULT hr) {
  // Keep the failing object's error information when it left one.
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK) info = nullptr;
  throw _com_error(hr, info);
}

DOMNodeType DomNodeType(IXMLDOMNode* node) {
  if (!node) RaiseComError(E_POINTER);
  DOMNodeType type = NODE_INVALID;
  DomCheck(node->get_nodeType(&type));
  return type;
}

std::wstring DomNodeName(IXMLDOMNode* node) {
  if (!node) RaiseComError(E_POINTER);
  ComBstr name;
  DomCheck(node->get_nodeName(name.Receive()));
  return name.Text();
}

ComPtr<IXMLDOMNode> DomParent(IXMLDOMNode* node) {
  if (!node) RaiseComError(E_POINTER);
  ComPtr<IXMLDOMNode> out;
  DomCheck(node->get_parentNode(out.Receive()));
  return out;
}

ComPtr<IXMLDOMNode> DomFirstChild(IXMLDOMNode* node) {
  if (!node) RaiseComError(E_POINTER);
  ComPtr<IXMLDOMNode> out;
  DomCheck(node->get_firstChild(out.Receive()));
  return out;
}

ComPtr<IXMLDOMNode> DomLastChild(IXMLDOMNode* node) {
  if (!node) RaiseComError(E_POINTER);
  ComPtr<IXMLDOMNode> out;
  DomCheck(node->get_lastChild(out.Receive()));
  return out;
}

ComPtr<IXMLDOMNode> DomNextSibling(IXMLDOMNode* node) {
  if (!node) RaiseComError(E_POINTER);
  ComPtr<IXMLDOMNode> out;
  DomCheck(node->get_nextSibling(out.Receive()));
  return out;
}

ComPtr<IXMLDOMNode> DomPreviousSibling(IXMLDOMNode* node) {
  if (!node) RaiseComError(E_POINTER);
  ComPtr<IXMLDOMNode> out;
  DomCheck(node->get_previousSibling(out.Receive()));
  return out;
}

ComPtr<IXMLDOMElement> DomElement(IXMLDOMNode* node) {
  if (!node || DomNodeType(node) != NODE_ELEMENT) return nullptr;
  return ComPtr<IXMLDOMNode>(node).Query<IXMLDOMElement>(kIID_IXMLDOMElement);
}

MSXMLParser::MSXMLParser() : success_(L"Success") { error_ = success_; }

MSXMLParser::~MSXMLParser() {
  current_.Reset();
  root_.Reset();
  document_.Reset();
}

Tam_MSXMLParser::~Tam_MSXMLParser() = default;

void MSXMLParser::On_Node() {}

bool MSXMLParser::Wants_Node_Walk() const { return false; }

bool MSXMLParser::_create_document() {
  error_ = success_;
  if (!g_comInitialised.exchange(true)) CoInitialize(nullptr);
  document_.Reset();

  ComPtr<IUnknown> unknown;
  HRESULT hr = CoCreateInstance(kCLSID_DOMDocument, nullptr,
                                CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(unknown.Receive()));
  if (SUCCEEDED(hr)) hr = OleRun(unknown.Get());
  if (SUCCEEDED(hr)) hr = unknown->QueryInterface(kIID_IXMLDOMDocument, reinterpret_cast<void**>(document_.Receive()));
  if (FAILED(hr)) {
    document_.Reset();
    error_ = _com_error(hr).ErrorMessage();
    return false;
  }
  return true;
}

void MSXMLParser::New_Document() {
  if (!_create_document()) return;
  ComPtr<IXMLDOMElement> root;
  DomCheck(document_->get_documentElement(root.Receive()));
  root_ = root;
  current_.Reset();
  attributeNames_.clear();
  attributeValues_.clear();
  displayName_.clear();
  nodeName_.clear();
  path_.clear();
  text_.clear();
  attributeCursor_ = -1;
}

bool MSXMLParser::Load_Document(const std::wstring& path) {
  error_ = success_;
  New_Document();
  if (!document_) return false;
  // Some DOM versions load asynchronously by default; the callers read the
  // document right after this returns.
  DomCheck(document_->put_async(VARIANT_FALSE));
  ComVariant bytes = Utf8FileBytes(path);
  ComVariant source = bytes.Get().vt != VT_EMPTY ? std::move(bytes) : ComVariant::String(path);
  VARIANT_BOOL loaded = VARIANT_FALSE;
  DomCheck(document_->load(source.Get(), &loaded));
  if (loaded != VARIANT_TRUE) {
    error_ = L"XML Document FAILED to load";
    return false;
  }
  FinishLoad();
  return true;
}

void MSXMLParser::Load_XML(const std::wstring& xml) {
  New_Document();
  if (!document_) return;
  ComBstr text(xml);
  VARIANT_BOOL loaded = VARIANT_FALSE;
  DomCheck(document_->loadXML(text.Get(), &loaded));
  FinishLoad();
}

void MSXMLParser::FinishLoad() {
  DomCheck(document_->get_documentElement(root_.Receive()));
  if (Wants_Node_Walk())
    _walk(document_.Get());
  else
    _load_node_info(LastWalkedNode(document_.Get()).Get());
  _reset_cursor();
}

// The walk loads every node but processing instructions into the cache, so
// what it leaves there is the last such node in document order: found from
// the end, in as many steps as the document is deep.
ComPtr<IXMLDOMNode> MSXMLParser::LastWalkedNode(IXMLDOMNode* start) {
  auto deepestLast = [](ComPtr<IXMLDOMNode> node) {
    while (_node_kind(node.Get()) == 1) {
      ComPtr<IXMLDOMNode> child = DomLastChild(node.Get());
      if (!child) break;
      node = std::move(child);
    }
    return node;
  };
  ComPtr<IXMLDOMNode> node = deepestLast(ComPtr<IXMLDOMNode>(start));
  while (_node_kind(node.Get()) == 7) {
    ComPtr<IXMLDOMNode> previous = DomPreviousSibling(node.Get());
    node = previous ? deepestLast(std::move(previous)) : DomParent(node.Get());
  }
  return node;
}

bool MSXMLParser::Save_Document(const std::wstring& path) {
  if (document_) DomCheck(document_->save(ComVariant::String(path).Get()));
  return true;
}

ComPtr<IXMLDOMNode> MSXMLParser::Get_CurrentNode() const { return current_; }

std::wstring MSXMLParser::Get_Error() const { return error_; }

ComPtr<IXMLDOMNode> MSXMLParser::RootNode() const { return ComPtr<IXMLDOMNode>(root_.Get()); }

bool MSXMLParser::IsRoot(IXMLDOMNode* node) const {
  if (!node) return !root_;
  if (!root_ || DomNodeType(node) != NODE_ELEMENT) return false;
  ComPtr<IXMLDOMNode> parent = DomParent(node);
  return parent && DomNodeType(parent.Get()) == NODE_DOCUMENT;
}

int MSXMLParser::_node_kind(IXMLDOMNode* node) {
  if (!node) return 0;
  switch (DomNodeType(node)) {
    case NODE_TEXT:
      return 3;
    case NODE_CDATA_SECTION:
      return 4;
    case NODE_PROCESSING_INSTRUCTION:
      return 7;
    default:
      return 1;
  }
}

void MSXMLParser::_load_node_info(IXMLDOMNode* node) {
  int kind = _node_kind(node);
  if (kind == 0 || kind == 7) return;
  if (kind == 3 || kind == 4) {
    ComBstr text;
    DomCheck(node->get_text(text.Receive()));
    text_ = text.Text();
    nodeName_ = kind == 3 ? L"#TEXT#" : L"#CDATA#";
    displayName_ = L"<" + nodeName_ + L">";
    attributeNames_.clear();
    attributeValues_.clear();
    return;
  }

  nodeName_ = DomNodeName(node);
  displayName_ = L"<" + nodeName_ + L">";
  text_.clear();
  attributeNames_.clear();
  attributeValues_.clear();
  ComPtr<IXMLDOMNamedNodeMap> attributes;
  DomCheck(node->get_attributes(attributes.Receive()));
  if (!attributes) return;
  long count = 0;
  DomCheck(attributes->get_length(&count));
  for (long i = 0; i < count; ++i) {
    ComPtr<IXMLDOMNode> attribute;
    DomCheck(attributes->get_item(i, attribute.Receive()));
    if (!attribute) continue;
    ComVariant value;
    DomCheck(attribute->get_nodeValue(value.Receive()));
    attributeNames_.push_back(DomNodeName(attribute.Get()));
    attributeValues_.push_back(value.Text());
  }
}

// Pre-order over the subtree, without recursion: a file may nest deeper than
// a thread's stack would allow.
void MSXMLParser::_walk(IXMLDOMNode* start) {
  ComPtr<IXMLDOMNode> node(start);
  int depth = 0;
  while (node) {
    _load_node_info(node.Get());
    current_ = node;
    On_Node();

    if (_node_kind(node.Get()) == 1) {
      ComPtr<IXMLDOMNode> child = DomFirstChild(node.Get());
      if (child) {
        _push_path(displayName_);
        ++depth;
        node = child;
        continue;
      }
    }
    // Done with this node: its next sibling, or climb until one has one.
    for (;;) {
      if (depth == 0) return;
      ComPtr<IXMLDOMNode> next = DomNextSibling(node.Get());
      if (next) {
        node = next;
        break;
      }
      node = DomParent(node.Get());
      --depth;
      _pop_path(1);
    }
  }
}

void MSXMLParser::_reset_cursor() {
  attributeCursor_ = -1;
  current_ = RootNode();
  path_.clear();
}

void MSXMLParser::_push_path(const std::wstring& segment) { path_ += segment; }

void MSXMLParser::_pop_path(int count) {
  for (int i = 0; i < count; ++i) {
    size_t cut = path_.rfind(L'<');
    if (cut == std::wstring::npos)
      path_.clear();
    else
      path_.erase(cut);
  }
}

bool MSXMLParser::Set_Header(const std::wstring& target, const std::wstring& name, const std::wstring& value) {
  if (!document_) return false;
  error_ = success_;

  // The declaration: the first processing instruction of that target before
  // the root element.
  ComPtr<IXMLDOMNode> declaration;
  std::wstring text;
  for (ComPtr<IXMLDOMNode> child = DomFirstChild(document_.Get()); child; child = DomNextSibling(child.Get())) {
    DOMNodeType type = DomNodeType(child.Get());
    if (type == NODE_ELEMENT) break;
    if (type != NODE_PROCESSING_INSTRUCTION) continue;
    ComBstr baseName;
    DomCheck(child->get_baseName(baseName.Receive()));
    if (!baseName.Equals(target)) continue;
    ComBstr data;
    DomCheck(child->get_text(data.Receive()));
    text = data.Text();
    declaration = child;
    break;
  }

  ComBstr targetText(target);
  if (declaration) {
    std::wstring newText;
    size_t at = text.find(name);
    if (at != std::wstring::npos) {
      size_t q1 = text.find(L'"', at);
      size_t q2 = q1 == std::wstring::npos ? q1 : text.find(L'"', q1 + 1);
      if (q2 == std::wstring::npos) {
        error_ = L"MSXMLParser::Set_Header() : bad value structure";
        return false;
      }
      newText = text.substr(0, q1 + 1) + value + text.substr(q2);
    } else {
      size_t standalone = text.find(L"standalone");
      std::wstring head = text.substr(0, standalone);
      std::wstring tail = standalone == std::wstring::npos ? std::wstring() : text.substr(standalone);
      if (head.find(L"version") == std::wstring::npos && target == L"xml") head = kVersionPrefix + head;
      if (name != L"version")
        newText = head + L" " + name + L"=\"" + value + L"\" " + tail;
      else
        newText = head + tail;
    }
    ComPtr<IXMLDOMProcessingInstruction> instruction;
    ComBstr data(newText);
    if (FAILED(document_->createProcessingInstruction(targetText.Get(), data.Get(), instruction.Receive())) ||
        !instruction) {
      error_ = L"MSXMLParser::Set_Header() : Can't create the new processing instruction node";
      return false;
    }
    ComPtr<IXMLDOMNode> old;
    DomCheck(document_->replaceChild(instruction.Get(), declaration.Get(), old.Receive()));
    return true;
  }

  std::wstring pseudo = name + L"=\"" + value + L"\"";
  std::wstring newText = (name != L"version" && target == L"xml") ? kVersionPrefix + pseudo : pseudo;
  ComPtr<IXMLDOMProcessingInstruction> instruction;
  ComBstr data(newText);
  if (FAILED(document_->createProcessingInstruction(targetText.Get(), data.Get(), instruction.Receive())) ||
      !instruction) {
    error_ = L"PARSER_XML::SetHeader() : Can't create new Processing node";
    return false;
  }
  ComPtr<IXMLDOMNode> inserted;
  if (!DomFirstChild(document_.Get())) {
    DomCheck(document_->appendChild(instruction.Get(), inserted.Receive()));
    if (!inserted) {
      error_ = L"PARSER_XML::SetHeader() : Can't insert Processing node in the empty document";
      return false;
    }
  } else {
    // Before the root element, or at the end when there is none.
    ComVariant before = root_ ? ComVariant::Unknown(root_.Get()) : ComVariant();
    DomCheck(document_->insertBefore(instruction.Get(), before.Get(), inserted.Receive()));
    if (!inserted) {
      error_ = L"PARSER_XML::SetHeader() : Can't insert Processing node after the root document";
      return false;
    }
  }
  return true;
}

bool MSXMLParser::Get_Header(const std::wstring& target, const std::wstring& name, std::wstring& value) {
  error_ = success_;
  value.clear();
  if (!document_) {
    error_ = L"MSXMLParser::Get_Header() : The XML Document is a null pointer";
    return false;
  }
  for (ComPtr<IXMLDOMNode> child = DomFirstChild(document_.Get()); child; child = DomNextSibling(child.Get())) {
    if (DomNodeType(child.Get()) != NODE_PROCESSING_INSTRUCTION) break;
    ComBstr baseName;
    DomCheck(child->get_baseName(baseName.Receive()));
    if (!baseName.Equals(target)) continue;
    ComBstr data;
    DomCheck(child->get_text(data.Receive()));
    std::wstring text = data.Text();
    size_t at = text.find(name);
    if (at == std::wstring::npos) return false;
    size_t q1 = text.find(L'"', at);
    size_t q2 = q1 == std::wstring::npos ? q1 : text.find(L'"', q1 + 1);
    if (q2 == std::wstring::npos) {
      error_ = L"MSXMLParser::Get_Header() : bad value structure";
      return false;
    }
    value = text.substr(q1 + 1, q2 - q1 - 1);
    return true;
  }
  return false;
}

void MSXMLParser::Get_XML(std::wstring& xml) {
  ComBstr text;
  if (IsRoot(current_.Get())) {
    if (!document_) RaiseComError(E_POINTER);
    DomCheck(document_->get_xml(text.Receive()));
  } else {
    if (!current_) RaiseComError(E_POINTER);
    DomCheck(current_->get_xml(text.Receive()));
  }
  xml = text.Text();
}
