#include "engine/StageGraphicDesc.h"

SS_GraphicDesc::~SS_GraphicDesc() = default;
void SS_GraphicDesc::FirstHook() {}
void SS_GraphicDesc::SecondHook() {}
void SS_GraphicDesc::ThirdHook() {}

void SS_LabelGraphicDesc::AddLines(int count) {
  for (int i = 0; i < count; ++i) lines_.emplace_back();
}

void SS_LabelGraphicDesc::SetLine(int index, const std::wstring& text) {
  if (index >= 0 && static_cast<size_t>(index) < lines_.size()) lines_[index] = text;
}
