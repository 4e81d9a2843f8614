#include "engine/Stage.h"

// The entries go with the stage: nothing else owns them.
SS_Stage::~SS_Stage() { ClearDescs(); }

void SS_Stage::SetName(const std::wstring& name) {
  name_ = name;
  named_ = true;
}

int SS_Stage::AddGraphicDesc(int kind, int id) {
  Entry* entry = new Entry{kind, id, nullptr};
  if (kind == KindFont) {
    entry->desc = new SS_FontGraphicDesc();
  } else if (kind == KindLabel) {
    SS_LabelGraphicDesc* label = new SS_LabelGraphicDesc();
    label->FirstHook();
    label->AddLines(1);
    entry->desc = label;
  }
  entries_.push_back(entry);
  return static_cast<int>(entries_.size()) - 1;
}

void SS_Stage::RemoveGraphicDesc(int kind, int id) {
  for (size_t i = 0; i < entries_.size();) {
    Entry* entry = entries_[i];
    if (entry->kind == kind && entry->id == id) {
      if (entry->desc) entry->desc->SecondHook();
      delete entry->desc;
      delete entry;
      entries_.erase(entries_.begin() + static_cast<long>(i));
    } else {
      ++i;
    }
  }
}

SS_GraphicDesc* SS_Stage::GetDesc(int position) {
  if (position < 0 || static_cast<size_t>(position) >= entries_.size()) return nullptr;
  return entries_[position]->desc;
}

void SS_Stage::SetDesc(int position, SS_GraphicDesc* desc) {
  if (position < 0 || static_cast<size_t>(position) >= entries_.size()) return;
  entries_[position]->desc = desc;
}

void SS_Stage::ClearDescs() {
  for (Entry* entry : entries_) {
    delete entry->desc;
    delete entry;
  }
  entries_.clear();
}

SS_LabelGraphic* SS_Stage::LabelFor(const Entry& entry) {
  if (entry.kind != KindLabel || entry.id < 0 || static_cast<size_t>(entry.id) >= labels_.size()) return nullptr;
  return labels_[entry.id];
}

void SS_Stage::FrameMove(double time) {
  for (Entry* entry : entries_) {
    if (SS_LabelGraphic* label = LabelFor(*entry)) {
      label->SetDesc(static_cast<SS_LabelGraphicDesc*>(entry->desc));
      label->FrameMove(time);
    }
  }
}

// Font entries are not drawn by the stage.
void SS_Stage::Render(double time, double elapsed) {
  for (Entry* entry : entries_)
    if (SS_LabelGraphic* label = LabelFor(*entry)) label->Render(time, elapsed);
}
