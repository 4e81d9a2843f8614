#pragma once
#include <windows.h>
#include <msxml2.h>

#include <string>
#include <vector>

#include "platform/ComPtr.h"

// One XML document of the platform's DOM with a cursor on one node (the
// current node), a cache of that node's name, text and attributes, and the
// text of the last failure the wrapper noticed itself. Every DOM call that
// fails raises _com_error (comdef.h) carrying its HRESULT, and so does the use
// of a missing DOM reference (E_POINTER); the callers decide what a failure
// means to them.
class MSXMLParser {
 public:
  MSXMLParser();
  virtual ~MSXMLParser();
  MSXMLParser(const MSXMLParser&) = delete;
  MSXMLParser& operator=(const MSXMLParser&) = delete;

  // Called by the walk after every load, once per node in document order,
  // with the cursor and the cache on that node. The walk runs only for a
  // parser whose Wants_Node_Walk answers true: override both.
  virtual void On_Node();

  // Document.
  void New_Document();
  bool Load_Document(const std::wstring& path);
  void Load_XML(const std::wstring& xml);
  bool Save_Document(const std::wstring& path);
  bool Set_Header(const std::wstring& target, const std::wstring& name, const std::wstring& value);
  bool Get_Header(const std::wstring& target, const std::wstring& name, std::wstring& value);
  void Get_XML(std::wstring& xml);
  // Null when there is none; after a successful load, the root element.
  ComPtr<IXMLDOMNode> Get_CurrentNode() const;
  std::wstring Get_Error() const;

  // Adding elements (the new element becomes current).
  bool Add_FirstChild(const std::wstring& name);
  bool Add_LastChild(const std::wstring& name);
  bool Add_NodeBefore(const std::wstring& name);
  bool Add_NodeAfter(const std::wstring& name);
  // Adding CDATA sections.
  bool Add_FirstCData(const std::wstring& text);
  bool Add_LastCData(const std::wstring& text);
  bool Add_CDataBefore(const std::wstring& text);
  bool Add_CDataAfter(const std::wstring& text);

  // Moving the cursor.
  bool Go_Parent();
  bool Go_Ancestor(const std::wstring& name);
  bool Go_FirstChild();
  bool Go_NextSibling();
  bool Go_PreviousSibling();
  bool Go_Child(const std::wstring& name);
  bool Go_Descendant(const std::wstring& name);
  bool Go_NextNamed(const std::wstring& name);
  bool Go_PreviousNamed(const std::wstring& name);

  // Removing.
  bool Remove_CurrentNode();
  bool Remove_Child(const std::wstring& name);

  // Attributes and text of the current node.
  bool Set_Attribute(const std::wstring& name, const std::wstring& value);
  bool Remove_Attribute(const std::wstring& name);
  bool Set_TextValue(const std::wstring& text);
  std::wstring Get_TextValue();

  // The cache.
  std::wstring Get_DisplayName() const;
  std::wstring Get_NodeName() const;
  bool Is_DisplayName(const std::wstring& text) const;
  bool Is_TextNode() const;
  bool Is_CDataNode() const;
  std::wstring Get_Attribute_Name(int index);
  std::wstring Get_Attribute_Value(int index);
  bool Find_Attribute(const std::wstring& name);
  std::wstring Get_Attribute_Value();

 protected:
  // Whether the loads walk the document calling On_Node. The hook is empty
  // here, and reading every node of a large catalog into the cache only to
  // call it is wasted; without the walk a load still leaves the cache as the
  // walk would have left it.
  virtual bool Wants_Node_Walk() const;

  bool _create_document();
  static int _node_kind(IXMLDOMNode* node);
  void _load_node_info(IXMLDOMNode* node);
  void _walk(IXMLDOMNode* node);
  void _reset_cursor();
  void _push_path(const std::wstring& segment);
  void _pop_path(int count);
  bool _go_named(const std::wstring& name, ComPtr<IXMLDOMNode> (*step)(IXMLDOMNode*));

  bool _add_last(const ComPtr<IXMLDOMNode>& node);
  bool _add_first(const ComPtr<IXMLDOMNode>& node);
  bool _add_before(const ComPtr<IXMLDOMNode>& node);
  bool _add_after(const ComPtr<IXMLDOMNode>& node);

 private:
  // The document element is the one element child of the document; the DOM
  // may hand out a new wrapper object for the same node on every call, so
  // the test is by position, not by pointer. Both null counts as the root.
  bool IsRoot(IXMLDOMNode* node) const;
  ComPtr<IXMLDOMNode> CreateNode(DOMNodeType type, const std::wstring& name);
  ComPtr<IXMLDOMNode> RootNode() const;
  // The end of every load that leaves a document: root, walk, cursor back
  // on the root.
  void FinishLoad();
  // The last node that the walk from start would load into the cache.
  ComPtr<IXMLDOMNode> LastWalkedNode(IXMLDOMNode* start);

  std::wstring displayName_;
  std::wstring nodeName_;
  std::wstring path_;
  std::wstring text_;
  ComPtr<IXMLDOMDocument> document_;
  ComPtr<IXMLDOMElement> root_;
  ComPtr<IXMLDOMNode> current_;
  std::wstring error_;
  std::wstring success_;
  std::wstring empty_;
  std::vector<std::wstring> attributeNames_;
  std::vector<std::wstring> attributeValues_;
  int attributeCursor_ = -1;
};

// The class callers create.
class Tam_MSXMLParser : public MSXMLParser {
 public:
  Tam_MSXMLParser() = default;
  ~Tam_MSXMLParser() override;
};

// DOM calls shared by the wrapper and the catalog walks. Each raises
// _com_error on a failing HRESULT or a null node.
[[noreturn]] void RaiseComError(HRESULT hr);
inline HRESULT DomCheck(HRESULT hr) {
  if (FAILED(hr)) RaiseComError(hr);
  return hr;
}
DOMNodeType DomNodeType(IXMLDOMNode* node);
std::wstring DomNodeName(IXMLDOMNode* node);
ComPtr<IXMLDOMNode> DomParent(IXMLDOMNode* node);
ComPtr<IXMLDOMNode> DomFirstChild(IXMLDOMNode* node);
ComPtr<IXMLDOMNode> DomLastChild(IXMLDOMNode* node);
ComPtr<IXMLDOMNode> DomNextSibling(IXMLDOMNode* node);
ComPtr<IXMLDOMNode> DomPreviousSibling(IXMLDOMNode* node);
// The element interface of a node; null for any other kind of node.
ComPtr<IXMLDOMElement> DomElement(IXMLDOMNode* node);

// Interface identifiers of the DOM, defined here: the import library lacks
// some of them and msxml2.h renames others.
extern const IID kIID_IXMLDOMDocument;
extern const IID kIID_IXMLDOMElement;
extern const CLSID kCLSID_DOMDocument;
