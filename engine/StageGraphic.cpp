#include "engine/StageGraphic.h"

#include "engine/ScrSvrDevice.h"
#include "platform/TextHelper.h"

namespace {
IDirect3DDevice9* Device() {
  CScrSvrDevice* holder = GetScrSvrDevice();
  return holder ? holder->GetDevice() : nullptr;
}
}  // namespace

SS_Graphic::~SS_Graphic() = default;

HRESULT SS_Graphic::Create(const std::wstring& name, int id, int second, float, int) {
  name_ = name;
  id_ = id;
  second_ = second;
  third_ = 0;
  fourth_ = 0;
  return S_OK;
}

void SS_Graphic::Release() {}

void SS_Graphic::Reset() {
  second_ = 65535;
  fourth_ = 0;
}

void SS_Graphic::FrameMove(double) {}
void SS_Graphic::Render(double, double) {}
HRESULT SS_Graphic::OnCreateDevice() { return S_OK; }
HRESULT SS_Graphic::OnResetDevice() { return S_OK; }
HRESULT SS_Graphic::OnLostDevice() { return S_OK; }
HRESULT SS_Graphic::OnDestroyDevice() { return S_OK; }

SS_FontGraphic::SS_FontGraphic() : desc_(new SS_FontGraphicDesc()) {}

HRESULT SS_FontGraphic::Create(const std::wstring& name, int id, int second, float size, int extra) {
  SS_Graphic::Create(name, id, second, size, extra);
  if (!desc_) return E_POINTER;
  baseSize_ = {size, size, 1.0f};
  desc_->size = {size, size, 1.0f};
  desc_->scale = {1.0f, 1.0f, 1.0f};
  IDirect3DDevice9* device = Device();
  if (!device) return E_POINTER;
  return D3DXCreateFontW(device, static_cast<INT>(size), 0, 400, 1, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, name_.c_str(), desc_->Font().Receive());
}

HRESULT SS_FontGraphic::OnResetDevice() {
  ID3DXFont* font = GetFont();
  return font ? font->OnResetDevice() : S_OK;
}

HRESULT SS_FontGraphic::OnLostDevice() {
  ID3DXFont* font = GetFont();
  return font ? font->OnLostDevice() : S_OK;
}

HRESULT SS_FontGraphic::OnDestroyDevice() {
  desc_.reset();
  return S_OK;
}

SS_LabelGraphic::SS_LabelGraphic(ID3DXFont* font) : font_(font) {}

HRESULT SS_LabelGraphic::Create(const std::wstring& name, int id, int second, float size, int extra) {
  SS_Graphic::Create(name, id, second, size, extra);
  return OnCreateDevice();
}

void SS_LabelGraphic::Release() { sprite_.Reset(); }

// The sprite is let go rather than forgotten, so a reset never leaks it.
void SS_LabelGraphic::Reset() {
  SS_Graphic::Reset();
  Release();
  desc_ = nullptr;
}

void SS_LabelGraphic::Render(double, double) {
  if (!desc_ || !desc_->visible) return;
  CDXUTTextHelper text(font_, sprite_.Get(), 15);
  int x = static_cast<int>(desc_->position.x);
  int y = static_cast<int>(desc_->position.y);
  text.Begin();
  text.SetInsertionPos(x, y);
  text.SetForegroundColor(D3DXCOLOR(1.0f, 1.0f, 0.0f, 1.0f));
  for (const std::wstring& line : desc_->Lines()) {
    text.DrawTextLine(line.c_str());
    y += 5;
    text.SetInsertionPos(x, y);
  }
  text.End();
}

HRESULT SS_LabelGraphic::OnCreateDevice() {
  IDirect3DDevice9* device = Device();
  if (!device) return E_POINTER;
  return D3DXCreateSprite(device, sprite_.Receive());
}

HRESULT SS_LabelGraphic::OnResetDevice() { return OnCreateDevice(); }

HRESULT SS_LabelGraphic::OnLostDevice() {
  if (desc_) desc_->visible = false;
  Release();
  return S_OK;
}

HRESULT SS_LabelGraphic::OnDestroyDevice() { return OnLostDevice(); }

void SS_LabelGraphic::Place(float x, float y, float z, float sizeX, float sizeY, float sizeZ, bool visible) {
  if (!desc_) return;
  desc_->rotation = rotation_;
  if (sizeX == -1 && sizeY == -1 && sizeZ == -1)
    desc_->scale = {-1, -1, -1};
  else
    desc_->scale = {sizeX / baseSize_.x, sizeY / baseSize_.y, sizeZ / baseSize_.z};
  desc_->position = {x, y, z};
  desc_->size = {sizeX, sizeY, sizeZ};
  desc_->visible = visible;
}
