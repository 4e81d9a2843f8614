#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "media/CatalogItem.h"

// The entries of a catalog read from a file, in document order (each entry
// before what it holds), with the texts of all of them in one buffer, so
// that a large catalog costs a few allocations rather than several per
// entry. What waits in a folder not opened yet is a range of these.
class CatalogEntries {
 public:
  struct Entry {
    size_t text;             // where its label, name, path and parent follow each other
    uint32_t lengths[4];     // of the label, name, path and parent
    int kind;                // MediaKind
    int imageKind;           // the kind whose image its item shows
    size_t end;              // one past the last entry it holds
    bool placeless;          // gives no item: what it holds takes its place
  };

  // Building, in document order: Begin an entry, then what it holds, then
  // End it.
  void Begin(std::wstring_view label, std::wstring_view name, std::wstring_view path, std::wstring_view parent,
             int kind, int imageKind, bool placeless = false);
  void End();
  void Reserve(size_t entries, size_t characters);

  size_t Size() const { return entries_.size(); }
  const Entry& operator[](size_t i) const { return entries_[i]; }
  std::wstring_view Label(size_t i) const { return Text(i, 0); }
  std::wstring_view Name(size_t i) const { return Text(i, 1); }
  std::wstring_view Path(size_t i) const { return Text(i, 2); }
  std::wstring_view Parent(size_t i) const { return Text(i, 3); }
  CatalogItem Record(size_t i) const;

 private:
  std::wstring_view Text(size_t i, int which) const;

  std::wstring text_;
  std::vector<Entry> entries_;
  std::vector<size_t> open_;
};
