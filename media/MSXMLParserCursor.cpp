// Moving the cursor and editing the document at the cursor.
#include "media/MSXMLParser.h"

namespace {

std::wstring DisplayNameOf(IXMLDOMNode* node) { return L"<" + DomNodeName(node) + L">"; }

bool HasChildren(IXMLDOMNode* node) {
  VARIANT_BOOL has = VARIANT_FALSE;
  DomCheck(node->hasChildNodes(&has));
  return has == VARIANT_TRUE;
}

}  // namespace

ComPtr<IXMLDOMNode> MSXMLParser::CreateNode(DOMNodeType type, const std::wstring& name) {
  if (!document_) RaiseComError(E_POINTER);
  ComBstr nodeName(name);
  ComBstr namespaceUri(L"");
  ComPtr<IXMLDOMNode> node;
  DomCheck(document_->createNode(ComVariant::Int(type).Get(), nodeName.Get(), namespaceUri.Get(), node.Receive()));
  if (!node) RaiseComError(E_POINTER);
  return node;
}

bool MSXMLParser::_add_last(const ComPtr<IXMLDOMNode>& node) {
  ComPtr<IXMLDOMNode> added;
  if (current_) {
    if (_node_kind(current_.Get()) != 1) return false;
    std::wstring segment = DisplayNameOf(current_.Get());
    DomCheck(current_->appendChild(node.Get(), added.Receive()));
    _push_path(segment);
  } else if (root_) {
    DomCheck(root_->appendChild(node.Get(), added.Receive()));
    _push_path(DomNodeName(root_.Get()));
  } else {
    // The first element of an empty document becomes its document element;
    // nothing else can stand there.
    ComPtr<IXMLDOMElement> element = DomElement(node.Get());
    if (!element) return false;
    DomCheck(document_->putref_documentElement(element.Get()));
    path_.clear();
    root_ = element;
  }
  current_ = node;
  _load_node_info(current_.Get());
  return true;
}

bool MSXMLParser::_add_first(const ComPtr<IXMLDOMNode>& node) {
  if (!current_) RaiseComError(E_POINTER);
  if (_node_kind(current_.Get()) != 1) return false;
  std::wstring segment = DisplayNameOf(current_.Get());
  ComPtr<IXMLDOMNode> first = DomFirstChild(current_.Get());
  ComVariant before = first ? ComVariant::Unknown(first.Get()) : ComVariant();
  ComPtr<IXMLDOMNode> added;
  DomCheck(current_->insertBefore(node.Get(), before.Get(), added.Receive()));
  _push_path(segment);
  current_ = node;
  _load_node_info(current_.Get());
  return true;
}

bool MSXMLParser::_add_before(const ComPtr<IXMLDOMNode>& node) {
  if (path_.empty()) {
    error_ = L"MSXMLParser::_add_before()   : Can't add node at same level that the root node";
    return false;
  }
  ComPtr<IXMLDOMNode> parent = DomParent(current_.Get());
  if (!parent) RaiseComError(E_POINTER);
  ComPtr<IXMLDOMNode> added;
  DomCheck(parent->insertBefore(node.Get(), ComVariant::Unknown(current_.Get()).Get(), added.Receive()));
  current_ = node;
  _load_node_info(current_.Get());
  return true;
}

bool MSXMLParser::_add_after(const ComPtr<IXMLDOMNode>& node) {
  ComPtr<IXMLDOMNode> parent = DomParent(current_.Get());
  if (!parent) RaiseComError(E_POINTER);
  ComPtr<IXMLDOMNode> next = DomNextSibling(current_.Get());
  ComPtr<IXMLDOMNode> added;
  if (next)
    DomCheck(parent->insertBefore(node.Get(), ComVariant::Unknown(next.Get()).Get(), added.Receive()));
  else
    DomCheck(parent->appendChild(node.Get(), added.Receive()));
  current_ = node;
  _load_node_info(current_.Get());
  return true;
}

bool MSXMLParser::Add_LastChild(const std::wstring& name) {
  if (!document_) return false;
  return _add_last(CreateNode(NODE_ELEMENT, name));
}

// Added one after another under the same parent, these end up in the reverse
// order of the calls; the catalog writer relies on that.
bool MSXMLParser::Add_FirstChild(const std::wstring& name) {
  if (current_ && HasChildren(current_.Get())) return _add_first(CreateNode(NODE_ELEMENT, name));
  return Add_LastChild(name);
}

bool MSXMLParser::Add_NodeBefore(const std::wstring& name) {
  if (path_.empty()) return false;
  return _add_before(CreateNode(NODE_ELEMENT, name));
}

bool MSXMLParser::Add_NodeAfter(const std::wstring& name) {
  if (path_.empty()) {
    error_ = L"MSXMLParser::Add_NodeAfter(LPCTSTR)   : Can't add node at same level that the root node";
    return false;
  }
  return _add_after(CreateNode(NODE_ELEMENT, name));
}

// The text goes in only when the section was added: otherwise it would land
// on whatever node the cursor stands on.
bool MSXMLParser::Add_LastCData(const std::wstring& text) {
  if (!document_) return false;
  if (!_add_last(CreateNode(NODE_CDATA_SECTION, L""))) return false;
  Set_TextValue(text);
  return true;
}

bool MSXMLParser::Add_FirstCData(const std::wstring& text) {
  if (!current_ || !HasChildren(current_.Get())) return Add_LastCData(text);
  if (!_add_first(CreateNode(NODE_CDATA_SECTION, L""))) return false;
  Set_TextValue(text);
  return true;
}

bool MSXMLParser::Add_CDataBefore(const std::wstring& text) {
  if (path_.empty()) return false;
  if (!_add_before(CreateNode(NODE_CDATA_SECTION, L""))) return false;
  Set_TextValue(text);
  return true;
}

bool MSXMLParser::Add_CDataAfter(const std::wstring& text) {
  if (path_.empty()) {
    error_ = L"MSXMLParser::Add_CDataAfter(LPCTSTR)   : Can't add node at same level that the root node";
    return false;
  }
  if (!_add_after(CreateNode(NODE_CDATA_SECTION, L""))) return false;
  Set_TextValue(text);
  return true;
}

bool MSXMLParser::Go_Parent() {
  if (IsRoot(current_.Get())) return false;
  if (!current_) RaiseComError(E_POINTER);
  ComPtr<IXMLDOMNode> parent = DomParent(current_.Get());
  if (!parent) return false;  // the document node: there is nothing above it
  current_ = parent;
  attributeCursor_ = -1;
  _pop_path(1);
  _load_node_info(current_.Get());
  return true;
}

bool MSXMLParser::Go_Ancestor(const std::wstring& name) {
  if (IsRoot(current_.Get())) return false;
  if (!current_) RaiseComError(E_POINTER);
  ComPtr<IXMLDOMNode> kept = current_;
  std::wstring keptPath = path_;
  for (;;) {
    ComPtr<IXMLDOMNode> parent = DomParent(current_.Get());
    if (!parent) break;
    current_ = parent;
    _pop_path(1);
    _load_node_info(current_.Get());
    if (nodeName_ == name) {
      attributeCursor_ = -1;
      return true;
    }
    if (IsRoot(current_.Get())) break;
  }
  current_ = kept;
  path_ = keptPath;
  _load_node_info(current_.Get());
  return false;
}

bool MSXMLParser::Go_FirstChild() {
  if (_node_kind(current_.Get()) != 1) return false;
  ComPtr<IXMLDOMNode> child = DomFirstChild(current_.Get());
  if (!child) return false;
  _push_path(DisplayNameOf(current_.Get()));
  current_ = child;
  attributeCursor_ = -1;
  _load_node_info(current_.Get());
  return true;
}

bool MSXMLParser::Go_NextSibling() {
  int kind = _node_kind(current_.Get());
  if (kind != 1 && kind != 4) return false;
  ComPtr<IXMLDOMNode> next = DomNextSibling(current_.Get());
  if (!next) return false;
  current_ = next;
  attributeCursor_ = -1;
  _load_node_info(current_.Get());
  return true;
}

bool MSXMLParser::Go_PreviousSibling() {
  int kind = _node_kind(current_.Get());
  if (kind != 1 && kind != 4) return false;
  ComPtr<IXMLDOMNode> previous = DomPreviousSibling(current_.Get());
  if (!previous) return false;
  current_ = previous;
  attributeCursor_ = -1;
  _load_node_info(current_.Get());
  return true;
}

bool MSXMLParser::Go_Child(const std::wstring& name) {
  if (_node_kind(current_.Get()) != 1) return false;
  for (ComPtr<IXMLDOMNode> child = DomFirstChild(current_.Get()); child; child = DomNextSibling(child.Get())) {
    if (DomNodeName(child.Get()) != name) continue;
    _push_path(DisplayNameOf(current_.Get()));
    current_ = child;
    attributeCursor_ = -1;
    _load_node_info(current_.Get());
    return true;
  }
  _load_node_info(current_.Get());
  return false;
}

// Depth first below the current element, each node before its descendants
// and those before its next sibling; kept off the call stack like the walk.
bool MSXMLParser::Go_Descendant(const std::wstring& name) {
  if (_node_kind(current_.Get()) != 1) return false;
  std::vector<ComPtr<IXMLDOMNode>> ancestors{current_};
  ComPtr<IXMLDOMNode> node = DomFirstChild(current_.Get());
  while (node) {
    if (DomNodeName(node.Get()) == name) {
      for (const ComPtr<IXMLDOMNode>& ancestor : ancestors) _push_path(DisplayNameOf(ancestor.Get()));
      current_ = node;
      attributeCursor_ = -1;
      _load_node_info(current_.Get());
      return true;
    }
    if (_node_kind(node.Get()) == 1) {
      ComPtr<IXMLDOMNode> child = DomFirstChild(node.Get());
      if (child) {
        ancestors.push_back(node);
        node = child;
        continue;
      }
    }
    for (;;) {
      ComPtr<IXMLDOMNode> next = DomNextSibling(node.Get());
      if (next) {
        node = next;
        break;
      }
      if (ancestors.size() == 1) {
        node.Reset();
        break;
      }
      node = ancestors.back();
      ancestors.pop_back();
    }
  }
  _load_node_info(current_.Get());
  return false;
}

// From the current node itself along its siblings in one direction.
bool MSXMLParser::_go_named(const std::wstring& name, ComPtr<IXMLDOMNode> (*step)(IXMLDOMNode*)) {
  int kind = _node_kind(current_.Get());
  if (kind != 1 && kind != 4) return false;
  for (ComPtr<IXMLDOMNode> node = current_; node; node = step(node.Get())) {
    if (DomNodeName(node.Get()) != name) continue;
    current_ = node;
    attributeCursor_ = -1;
    _load_node_info(current_.Get());
    return true;
  }
  _load_node_info(current_.Get());
  return false;
}

bool MSXMLParser::Go_NextNamed(const std::wstring& name) { return _go_named(name, DomNextSibling); }

bool MSXMLParser::Go_PreviousNamed(const std::wstring& name) { return _go_named(name, DomPreviousSibling); }

bool MSXMLParser::Remove_CurrentNode() {
  ComPtr<IXMLDOMNode> node = current_ ? current_ : RootNode();
  if (!node) return false;
  if (IsRoot(node.Get())) {
    New_Document();
    attributeCursor_ = -1;
    return true;
  }
  ComPtr<IXMLDOMNode> parent = DomParent(node.Get());
  if (!parent) RaiseComError(E_POINTER);
  ComPtr<IXMLDOMNode> removed;
  DomCheck(parent->removeChild(node.Get(), removed.Receive()));
  current_ = parent;
  attributeCursor_ = -1;
  _pop_path(1);
  _load_node_info(current_.Get());
  return true;
}

bool MSXMLParser::Remove_Child(const std::wstring& name) {
  if (!Go_Child(name)) return false;
  bool removed = Remove_CurrentNode();
  attributeCursor_ = -1;
  return removed;
}

bool MSXMLParser::Set_Attribute(const std::wstring& name, const std::wstring& value) {
  ComPtr<IXMLDOMNode> node = current_ ? current_ : RootNode();
  ComPtr<IXMLDOMElement> element = DomElement(node.Get());
  if (!element) return false;
  ComBstr attributeName(name);
  DomCheck(element->setAttribute(attributeName.Get(), ComVariant::String(value).Get()));
  // Reload so that the cached attribute lists show the new value.
  _load_node_info(node.Get());
  return true;
}

bool MSXMLParser::Remove_Attribute(const std::wstring& name) {
  if (!current_) {
    if (!root_) {
      error_ = L"MSXMLParser::Remove_Attribute(LPCTSTR)   : Can't remove attribute on a NULL Node";
      return false;
    }
    current_ = RootNode();
  }
  ComPtr<IXMLDOMElement> element = DomElement(current_.Get());
  if (!element) return false;
  ComBstr attributeName(name);
  DomCheck(element->removeAttribute(attributeName.Get()));
  // Reload so that the cached attribute lists no longer show it.
  _load_node_info(current_.Get());
  return true;
}

bool MSXMLParser::Set_TextValue(const std::wstring& text) {
  if (!current_) {
    if (!root_) {
      error_ = L"MSXMLParser::Set_TextValue(LPCTSTR)   : Can't set a Text on a NULL Node";
      return false;
    }
    current_ = RootNode();
  }
  int kind = _node_kind(current_.Get());
  if (kind == 4) {
    DomCheck(current_->put_nodeValue(ComVariant::String(text).Get()));
    return true;
  }
  for (ComPtr<IXMLDOMNode> child = DomFirstChild(current_.Get()); child; child = DomNextSibling(child.Get())) {
    if (DomNodeType(child.Get()) == NODE_TEXT) {
      DomCheck(child->put_nodeValue(ComVariant::String(text).Get()));
      return true;
    }
  }
  if (kind == 1) {
    ComBstr data(text);
    ComPtr<IXMLDOMText> textNode;
    DomCheck(document_->createTextNode(data.Get(), textNode.Receive()));
    ComPtr<IXMLDOMNode> added;
    DomCheck(current_->appendChild(textNode.Get(), added.Receive()));
  }
  return true;
}

std::wstring MSXMLParser::Get_TextValue() {
  int kind = _node_kind(current_.Get());
  if (kind == 3 || kind == 4) {
    // Read afresh: the cache is not reloaded when the text is set.
    _load_node_info(current_.Get());
    return text_;
  }
  if (!current_) {
    if (!root_) {
      error_ = L"MSXMLParser::Get_TextValue() Can't set text on NULL node";
      text_.clear();
      return std::wstring();
    }
    current_ = RootNode();
  }
  for (ComPtr<IXMLDOMNode> child = DomFirstChild(current_.Get()); child; child = DomNextSibling(child.Get())) {
    if (DomNodeType(child.Get()) != NODE_TEXT) continue;
    _load_node_info(child.Get());
    std::wstring text = text_;
    _load_node_info(current_.Get());
    text_ = text;
    return text;
  }
  text_.clear();
  return std::wstring();
}

std::wstring MSXMLParser::Get_DisplayName() const { return displayName_; }
std::wstring MSXMLParser::Get_NodeName() const { return nodeName_; }
bool MSXMLParser::Is_DisplayName(const std::wstring& text) const { return displayName_ == text; }
bool MSXMLParser::Is_TextNode() const { return displayName_ == L"<#TEXT#>"; }
bool MSXMLParser::Is_CDataNode() const { return displayName_ == L"<#CDATA#>"; }

std::wstring MSXMLParser::Get_Attribute_Name(int index) {
  error_ = L"MSXMLParser::Get_Attribute_Name(int) failed";
  if (index < 0 || index >= static_cast<int>(attributeNames_.size())) return empty_;
  error_ = success_;
  return attributeNames_[index];
}

std::wstring MSXMLParser::Get_Attribute_Value(int index) {
  error_ = L"MSXMLParser::Get_Attribute_Value(int) failed";
  if (index < 0 || index >= static_cast<int>(attributeValues_.size())) return empty_;
  error_ = success_;
  return attributeValues_[index];
}

bool MSXMLParser::Find_Attribute(const std::wstring& name) {
  attributeCursor_ = -1;
  for (size_t i = 0; i < attributeNames_.size(); ++i) {
    if (attributeNames_[i] == name) {
      attributeCursor_ = static_cast<int>(i);
      return true;
    }
  }
  return false;
}

// The cursor outlives the cache it points into (loading the cache leaves it
// alone), so an index past the cached list counts as no attribute.
std::wstring MSXMLParser::Get_Attribute_Value() {
  if (attributeCursor_ < 0 || attributeCursor_ >= static_cast<int>(attributeValues_.size())) {
    error_ = L"MSXMLParser::Get_Attribute_Value()  : Can't Retrieve an Attribute";
    return error_;
  }
  error_ = success_;
  return attributeValues_[attributeCursor_];
}
