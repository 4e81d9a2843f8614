#pragma once
#include <d3dx9.h>

#include <string>
#include <vector>

#include "platform/ComPtr.h"

struct SS_Vector {
  float x, y, z;
};

// What a graphic draws and where.
class SS_GraphicDesc {
 public:
  virtual ~SS_GraphicDesc();
  virtual void FirstHook();
  virtual void SecondHook();
  virtual void ThirdHook();

  SS_Vector rotation;
  SS_Vector position;  // a label draws at its x and y
  SS_Vector scale;
  SS_Vector size;
  int value = 0;
  bool visible = false;
};

class SS_FontGraphicDesc : public SS_GraphicDesc {
 public:
  ID3DXFont* GetFont() const { return font_.Get(); }
  ComPtr<ID3DXFont>& Font() { return font_; }
  void SetFaceName(const std::wstring& name) { faceName_ = name; }
  const std::wstring& GetFaceName() const { return faceName_; }

 private:
  ComPtr<ID3DXFont> font_;
  std::wstring faceName_;
};

class SS_LabelGraphicDesc : public SS_GraphicDesc {
 public:
  void AddLines(int count);
  void SetLine(int index, const std::wstring& text);
  const std::vector<std::wstring>& Lines() const { return lines_; }

 private:
  std::vector<std::wstring> lines_;
};
