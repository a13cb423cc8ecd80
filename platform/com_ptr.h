// Owner types for COM references and BSTRs, the same on both systems.
#pragma once

#include <string_view>
#include <utility>

#include "platform/win.h"

namespace swkv {

// Owns one reference on a COM object; releases it when destroyed or reset.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a new reference on p.
  explicit ComPtr(T* p) : m_p(p) {
    if (m_p) m_p->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.m_p) {}
  ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(m_p, other.m_p);
    return *this;
  }
  ~ComPtr() { reset(); }

  // Adopts a reference the caller already owns.
  static ComPtr Attach(T* p) {
    ComPtr result;
    result.m_p = p;
    return result;
  }
  T* Detach() { return std::exchange(m_p, nullptr); }
  void reset() {
    if (T* p = std::exchange(m_p, nullptr)) p->Release();
  }
  // For out-parameters: releases what is held and exposes the slot.
  T** put() {
    reset();
    return &m_p;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }

  T* get() const { return m_p; }
  T* operator->() const { return m_p; }
  explicit operator bool() const { return m_p != nullptr; }

  // QueryInterface for another interface; null when the object does not answer it.
  template <class U>
  ComPtr<U> As(REFIID iid) const {
    ComPtr<U> result;
    if (m_p) m_p->QueryInterface(iid, result.put_void());
    return result;
  }

 private:
  T* m_p = nullptr;
};

// Owns a BSTR; frees it with SysFreeString.
class UniqueBstr {
 public:
  UniqueBstr() = default;
  explicit UniqueBstr(BSTR text) : m_text(text) {}
  UniqueBstr(const UniqueBstr&) = delete;
  UniqueBstr& operator=(const UniqueBstr&) = delete;
  UniqueBstr(UniqueBstr&& other) noexcept : m_text(std::exchange(other.m_text, nullptr)) {}
  UniqueBstr& operator=(UniqueBstr&& other) noexcept {
    reset(std::exchange(other.m_text, nullptr));
    return *this;
  }
  ~UniqueBstr() { reset(); }

  // A BSTR holding the UTF-16 conversion of single-byte text; null when no memory is left.
  static UniqueBstr FromAnsi(std::string_view text);
  // A BSTR of the given length, filled with zeros: a buffer for the component to copy into.
  static UniqueBstr Buffer(UINT length) { return UniqueBstr(SysAllocStringLen(nullptr, length)); }

  void reset(BSTR text = nullptr) {
    if (m_text) SysFreeString(m_text);
    m_text = text;
  }
  BSTR* put() {
    reset();
    return &m_text;
  }
  BSTR get() const { return m_text; }
  BSTR release() { return std::exchange(m_text, nullptr); }
  explicit operator bool() const { return m_text != nullptr; }
  UINT size() const { return SysStringLen(m_text); }

 private:
  BSTR m_text = nullptr;
};

inline UniqueBstr UniqueBstr::FromAnsi(std::string_view text) {
  if (text.size() > 0x3FFFFFFF) return UniqueBstr();
  const auto length = static_cast<int>(text.size());
  UniqueBstr result(SysAllocStringLen(nullptr, static_cast<UINT>(length)));
  if (result && length > 0)
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, result.get(), length);
  return result;
}

}  // namespace swkv
