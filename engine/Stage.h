#pragma once
#include <string>
#include <vector>

#include "engine/StageGraphic.h"

// A retained list of graphic descriptors, and the label graphics that draw
// them. Whoever builds a stage fills its graphic arrays.
class SS_Stage {
 public:
  enum Kind { KindFont = 0, KindLabel = 1 };

  struct Entry {
    int kind;
    int id;
    SS_GraphicDesc* desc;  // owned
  };

  virtual ~SS_Stage();

  void SetName(const std::wstring& name);
  void ClearNamedFlag() { named_ = false; }
  int AddGraphicDesc(int kind, int id);
  void RemoveGraphicDesc(int kind, int id);
  SS_GraphicDesc* GetDesc(int position);
  void SetDesc(int position, SS_GraphicDesc* desc);
  void ClearDescs();
  void FrameMove(double time);
  void Render(double time, double elapsed);

  int EntryCount() const { return static_cast<int>(entries_.size()); }
  std::vector<SS_Graphic*>& Graphics() { return graphics_; }
  std::vector<SS_LabelGraphic*>& Labels() { return labels_; }

 private:
  SS_LabelGraphic* LabelFor(const Entry& entry);

  bool named_ = false;
  std::wstring name_;
  std::vector<Entry*> entries_;
  std::vector<SS_Graphic*> graphics_;
  std::vector<SS_LabelGraphic*> labels_;
};
