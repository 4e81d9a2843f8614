#pragma once
#include <windows.h>
#include <commctrl.h>

#include <ostream>
#include <string>
#include <vector>

// A hidden window standing in for the settings dialog: the catalog tree and
// the extension tree as real tree-view controls with the dialog's ids.
class TreeHost {
 public:
  TreeHost();
  ~TreeHost();
  TreeHost(const TreeHost&) = delete;
  TreeHost& operator=(const TreeHost&) = delete;

  HWND window() const { return window_; }
  HWND catalog() const { return GetDlgItem(window_, 1006); }
  HWND extensions() const { return GetDlgItem(window_, 1014); }
  // Ends the window now (the destructor then does nothing).
  void Destroy();

 private:
  HWND window_ = nullptr;
};

// A tree written as a literal: each item's label, kind and record path, and
// its items.
struct TreeNode {
  std::wstring label;
  int kind = 0;
  std::wstring path;
  std::vector<TreeNode> children;
  // Read back only when set in an expectation.
  std::wstring name;
  std::wstring parent;
  bool operator==(const TreeNode& other) const;
};
std::ostream& operator<<(std::ostream& out, const TreeNode& node);

// Appends the literal under parent (the top level when null), in order.
void BuildTree(HWND tree, const std::vector<TreeNode>& nodes, HTREEITEM parent = nullptr);
// The tree as a literal, opening every folder on the way as a user would
// (TVM_EXPAND); withNames also reads the record's name and parent.
std::vector<TreeNode> ReadTree(HWND tree, bool withNames = false, HTREEITEM first = nullptr);
// What the control holds without opening anything: "label" for an item
// without expander, "label+" for one that shows its expander but holds no
// item yet, "label(...)" for one holding items: "A+, B(x, y), c".
std::wstring ShownItems(HWND tree, HTREEITEM first = nullptr);
// The first item with the label among those the control holds, depth first,
// opening nothing.
HTREEITEM FindShownItem(HWND tree, const std::wstring& label, HTREEITEM first = nullptr);
// The items' labels in depth-first order.
int CountItems(HWND tree);
// An element of a written file: its name, its attributes in document order.
struct XmlElement {
  std::wstring name;
  std::vector<std::pair<std::wstring, std::wstring>> attributes;
  std::vector<XmlElement> children;
};
// The document element of a file parsed by the platform's DOM; false when
// it does not parse.
bool ParseXmlFile(const std::wstring& path, XmlElement& root);
std::wstring Attribute(const XmlElement& element, const std::wstring& name);

// The image of an item.
int ItemImage(HWND tree, HTREEITEM item);
// The n-th top-level item, the n-th child.
HTREEITEM TopItem(HWND tree, int index);
HTREEITEM ChildItem(HWND tree, HTREEITEM parent, int index);
