// The library's lists and names, read into fixed room and never trusted beyond it: a reported
// count above the room is cut to the room, a name without its NUL is cut at the buffer's end.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "raidlib/raidapikv9k.h"

namespace swkv {

// Up to eight numbers from one list call (arrays, disks of an array, disks of a controller).
class LibraryList {
 public:
  static constexpr std::size_t kRoom = RA_MAX_LIST;

  bool ok() const { return m_ok; }
  std::size_t size() const { return m_count; }
  const std::uint32_t* begin() const { return m_items.data(); }
  const std::uint32_t* end() const { return m_items.data() + m_count; }
  std::uint32_t operator[](std::size_t i) const { return m_items[i]; }
  bool contains(std::uint32_t value) const { return std::find(begin(), end(), value) != end(); }
  // The place of value in the list, or -1.
  std::int32_t index_of(std::uint32_t value) const {
    auto it = std::find(begin(), end(), value);
    return it == end() ? -1 : static_cast<std::int32_t>(it - begin());
  }

  // Takes the result of a call that filled items and reported count.
  void Accept(std::int32_t status, std::uint32_t count) {
    m_ok = status == 0;
    m_count = m_ok ? std::min<std::size_t>(count, kRoom) : 0;
  }
  std::uint32_t* data() { return m_items.data(); }

 private:
  std::array<std::uint32_t, kRoom> m_items{};
  std::size_t m_count = 0;
  bool m_ok = false;
};

// The selected controller's arrays (logical numbers).
LibraryList EnumerateArrays();
// The disk identifiers of one array.
LibraryList EnumerateArrayDisks(std::uint32_t logical);
// The selected controller's disk identifiers.
LibraryList EnumerateDisks();

// A device name as the library gives it, at most 63 characters.
class DeviceName {
 public:
  bool ok() const { return m_ok; }
  const char* text() const { return m_text.data(); }
  bool empty() const { return m_text[0] == '\0'; }

  friend DeviceName ReadDeviceName(std::uint32_t disk);

 private:
  std::array<char, RA_NAME_SIZE + 1> m_text{};  // one more than the library may fill
  bool m_ok = false;
};

DeviceName ReadDeviceName(std::uint32_t disk);

// An array's name from its information record, cut at the record's 64 bytes.
std::string_view ArrayRecordName(const RaArrayInfo& info);

}  // namespace swkv
