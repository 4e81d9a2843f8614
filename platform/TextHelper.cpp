#include "platform/TextHelper.h"

CDXUTTextHelper::CDXUTTextHelper(ID3DXFont* font, ID3DXSprite* sprite, int lineHeight)
    : font_(font), sprite_(sprite), lineHeight_(lineHeight), color_(1.0f, 1.0f, 1.0f, 1.0f) {}

void CDXUTTextHelper::Begin() {
  if (sprite_ && SUCCEEDED(sprite_->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_SORT_TEXTURE))) spriteBegun_ = true;
}

void CDXUTTextHelper::End() {
  if (spriteBegun_) sprite_->End();
  spriteBegun_ = false;
}

void CDXUTTextHelper::SetInsertionPos(int x, int y) {
  x_ = x;
  y_ = y;
}

void CDXUTTextHelper::SetForegroundColor(D3DXCOLOR color) { color_ = color; }

HRESULT CDXUTTextHelper::DrawTextLine(const wchar_t* text) {
  if (!font_) return E_INVALIDARG;
  RECT rc;
  SetRect(&rc, x_, y_, 0, 0);
  int drawn = font_->DrawTextW(spriteBegun_ ? sprite_ : nullptr, text, -1, &rc, DT_NOCLIP, color_);
  y_ += lineHeight_;
  return drawn == 0 && text && *text ? E_FAIL : S_OK;
}
