// Owner type for registry key handles, the same on both systems.
#pragma once

#include <utility>

#include "platform/win.h"

namespace swkv {

// Owns an open registry key; closes it with RegCloseKey when destroyed or reset. Closing a
// predefined key is harmless, so a UniqueHkey may hold one.
class UniqueHkey {
 public:
  UniqueHkey() = default;
  explicit UniqueHkey(HKEY key) : m_key(key) {}
  UniqueHkey(const UniqueHkey&) = delete;
  UniqueHkey& operator=(const UniqueHkey&) = delete;
  UniqueHkey(UniqueHkey&& other) noexcept : m_key(std::exchange(other.m_key, nullptr)) {}
  UniqueHkey& operator=(UniqueHkey&& other) noexcept {
    reset(std::exchange(other.m_key, nullptr));
    return *this;
  }
  ~UniqueHkey() { reset(); }

  void reset(HKEY key = nullptr) {
    if (HKEY old = std::exchange(m_key, key)) RegCloseKey(old);
  }
  // For out-parameters (RegOpenKeyExA, RegCreateKeyExA): closes what is held and exposes the slot.
  HKEY* put() {
    reset();
    return &m_key;
  }
  HKEY get() const { return m_key; }
  HKEY release() { return std::exchange(m_key, nullptr); }
  explicit operator bool() const { return m_key != nullptr; }

 private:
  HKEY m_key = nullptr;
};

}  // namespace swkv
