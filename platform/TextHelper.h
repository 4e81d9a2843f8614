#pragma once
#include <d3dx9.h>

// Draws lines of text with a D3DX font through a sprite, one below the other,
// in the manner of the sample framework's text helper.
class CDXUTTextHelper {
 public:
  CDXUTTextHelper(ID3DXFont* font, ID3DXSprite* sprite, int lineHeight);

  void Begin();
  void End();
  void SetInsertionPos(int x, int y);
  void SetForegroundColor(D3DXCOLOR color);
  // Draws at the insertion point and moves it down by the line height.
  HRESULT DrawTextLine(const wchar_t* text);

 private:
  ID3DXFont* font_;
  ID3DXSprite* sprite_;
  int lineHeight_;
  int x_ = 0;
  int y_ = 0;
  D3DXCOLOR color_;
  bool spriteBegun_ = false;
};
