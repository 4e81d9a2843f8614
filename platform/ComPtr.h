#pragma once
#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <string>
#include <utility>

// Owns one counted COM reference: released when replaced or destroyed, so an
// early return or an exception cannot leak it.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a borrowed reference and counts it.
  explicit ComPtr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
  ComPtr(ComPtr&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  // Takes over a reference that was already counted for us.
  static ComPtr Adopt(T* p) {
    ComPtr result;
    result.p_ = p;
    return result;
  }

  void Reset() {
    T* p = p_;
    p_ = nullptr;
    if (p) p->Release();
  }
  // For a getter's out parameter: whatever was held is released first.
  T** Receive() {
    Reset();
    return &p_;
  }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // Another interface of the same object; null when the object has none.
  template <class U>
  ComPtr<U> Query(REFIID iid) const {
    ComPtr<U> out;
    if (p_) p_->QueryInterface(iid, reinterpret_cast<void**>(out.Receive()));
    return out;
  }

 private:
  T* p_ = nullptr;
};

// Owns one BSTR.
class ComBstr {
 public:
  ComBstr() = default;
  explicit ComBstr(const std::wstring& text)
      : b_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ComBstr(const ComBstr&) = delete;
  ComBstr& operator=(const ComBstr&) = delete;
  ~ComBstr() { Reset(); }

  void Reset() {
    if (b_) SysFreeString(b_);
    b_ = nullptr;
  }
  BSTR* Receive() {
    Reset();
    return &b_;
  }
  BSTR Get() const { return b_; }
  std::wstring Text() const { return b_ ? std::wstring(b_, SysStringLen(b_)) : std::wstring(); }
  bool Equals(const std::wstring& text) const {
    UINT length = b_ ? SysStringLen(b_) : 0;
    return length == text.size() && (length == 0 || text.compare(0, length, b_, length) == 0);
  }

 private:
  BSTR b_ = nullptr;
};

// Owns one VARIANT and whatever it holds.
class ComVariant {
 public:
  ComVariant() { VariantInit(&v_); }
  ComVariant(const ComVariant&) = delete;
  ComVariant& operator=(const ComVariant&) = delete;
  ~ComVariant() { VariantClear(&v_); }

  static ComVariant String(const std::wstring& text) {
    ComVariant result;
    result.v_.vt = VT_BSTR;
    result.v_.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return result;
  }
  static ComVariant Int(long value) {
    ComVariant result;
    result.v_.vt = VT_I4;
    result.v_.lVal = value;
    return result;
  }
  // Holds its own count on the object.
  static ComVariant Unknown(IUnknown* object) {
    ComVariant result;
    result.v_.vt = VT_UNKNOWN;
    result.v_.punkVal = object;
    if (object) object->AddRef();
    return result;
  }

  ComVariant(ComVariant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }

  VARIANT* Receive() {
    VariantClear(&v_);
    return &v_;
  }
  const VARIANT& Get() const { return v_; }
  // The value as text; empty for null, empty or unconvertible values.
  std::wstring Text() const {
    if (v_.vt == VT_BSTR) return v_.bstrVal ? std::wstring(v_.bstrVal, SysStringLen(v_.bstrVal)) : std::wstring();
    if (v_.vt == VT_NULL || v_.vt == VT_EMPTY) return std::wstring();
    VARIANT copy;
    VariantInit(&copy);
    std::wstring text;
    if (SUCCEEDED(VariantChangeType(&copy, const_cast<VARIANT*>(&v_), 0, VT_BSTR)) && copy.bstrVal)
      text.assign(copy.bstrVal, SysStringLen(copy.bstrVal));
    VariantClear(&copy);
    return text;
  }

 private:
  VARIANT v_;
};
