#pragma once
#include <d3dx9.h>

#include <memory>
#include <string>

#include "platform/ComPtr.h"

#include "engine/StageGraphicDesc.h"

// A piece of on-screen text of the stage, drawn with D3DX between the
// frame's BeginScene and EndScene.
class SS_Graphic {
 public:
  virtual ~SS_Graphic();
  virtual HRESULT Create(const std::wstring& name, int id, int second, float size, int extra);
  virtual void Release();
  virtual void Reset();
  virtual void FrameMove(double time);
  virtual void Render(double time, double elapsed);
  virtual HRESULT OnCreateDevice();
  virtual HRESULT OnResetDevice();
  virtual HRESULT OnLostDevice();
  virtual HRESULT OnDestroyDevice();

  const std::wstring& GetName() const { return name_; }
  int GetId() const { return id_; }
  int GetSecond() const { return second_; }
  int GetFourth() const { return fourth_; }

 protected:
  SS_Vector position_ = {0, 0, 0};
  SS_Vector rotation_ = {0, 0, 0};
  SS_Vector scale_ = {1, 1, 1};
  SS_Vector baseSize_ = {1, 1, 1};
  D3DXMATRIX transform_;
  std::wstring name_;
  int id_ = 0;
  int second_ = 0;
  int third_ = 0;
  int fourth_ = 0;
  float firstFloat_ = 0;
  float secondFloat_ = 0;
};

// Owns a D3DX font, made from the graphic's name as the face name.
class SS_FontGraphic : public SS_Graphic {
 public:
  SS_FontGraphic();
  HRESULT Create(const std::wstring& name, int id, int second, float size, int extra) override;
  HRESULT OnResetDevice() override;
  HRESULT OnLostDevice() override;
  HRESULT OnDestroyDevice() override;
  SS_FontGraphicDesc* GetDesc() { return desc_.get(); }
  ID3DXFont* GetFont() { return desc_ ? desc_->GetFont() : nullptr; }

 private:
  int value_ = 0;
  std::unique_ptr<SS_FontGraphicDesc> desc_;
};

// Draws the lines of its descriptor with a font it is given, through a sprite.
class SS_LabelGraphic : public SS_Graphic {
 public:
  explicit SS_LabelGraphic(ID3DXFont* font);
  HRESULT Create(const std::wstring& name, int id, int second, float size, int extra) override;
  void Release() override;
  void Reset() override;
  void Render(double time, double elapsed) override;
  HRESULT OnCreateDevice() override;
  HRESULT OnResetDevice() override;
  HRESULT OnLostDevice() override;
  HRESULT OnDestroyDevice() override;

  void SetDesc(SS_LabelGraphicDesc* desc) { desc_ = desc; }
  SS_LabelGraphicDesc* GetDesc() { return desc_; }
  void Place(float x, float y, float z, float sizeX, float sizeY, float sizeZ, bool visible);
  bool HasSprite() const { return static_cast<bool>(sprite_); }

 private:
  ID3DXFont* font_;  // the font graphic's, which outlives the label
  ComPtr<ID3DXSprite> sprite_;
  SS_LabelGraphicDesc* desc_ = nullptr;
};
