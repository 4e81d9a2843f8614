#include "settings_dialog/CatalogEntries.h"

void CatalogEntries::Begin(std::wstring_view label, std::wstring_view name, std::wstring_view path,
                           std::wstring_view parent, int kind, int imageKind, bool placeless) {
  Entry entry;
  entry.text = text_.size();
  const std::wstring_view texts[4] = {label, name, path, parent};
  for (int i = 0; i < 4; ++i) {
    text_.append(texts[i]);
    entry.lengths[i] = static_cast<uint32_t>(texts[i].size());
  }
  entry.kind = kind;
  entry.imageKind = imageKind;
  entry.end = entries_.size() + 1;
  entry.placeless = placeless;
  open_.push_back(entries_.size());
  entries_.push_back(entry);
}

void CatalogEntries::End() {
  if (open_.empty()) return;
  entries_[open_.back()].end = entries_.size();
  open_.pop_back();
}

void CatalogEntries::Reserve(size_t entries, size_t characters) {
  entries_.reserve(entries);
  text_.reserve(characters);
}

std::wstring_view CatalogEntries::Text(size_t i, int which) const {
  const Entry& entry = entries_[i];
  size_t at = entry.text;
  for (int k = 0; k < which; ++k) at += entry.lengths[k];
  return std::wstring_view(text_).substr(at, entry.lengths[which]);
}

CatalogItem CatalogEntries::Record(size_t i) const {
  CatalogItem record;
  record.name = Name(i);
  record.path = Path(i);
  record.parent = Parent(i);
  record.kind = entries_[i].kind;
  return record;
}
