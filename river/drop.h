// CDrop: one named text entry of a node — a property, an action or a link to a child node.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace swkv {

class CRiver;

// Flag bits of a drop. The agent sees their effect in the access string.
enum : std::uint32_t {
  DROP_PROPERTY = 0x1,
  DROP_READ = 0x2,
  DROP_WRITE = 0x4,     // the only bit, with DROP_PROPERTY, that `set` tests
  DROP_VOLATILE = 0x8,  // the value changes by itself (status words, readings, percentages)
  DROP_METHOD = 0x100,
  DROP_OBJECT = 0x10000,
};

// The five flag words in use.
inline constexpr std::uint32_t kReadOnly = DROP_PROPERTY | DROP_READ;                   // pr-
inline constexpr std::uint32_t kReadWrite = DROP_PROPERTY | DROP_READ | DROP_WRITE;     // prw
inline constexpr std::uint32_t kChanging = DROP_PROPERTY | DROP_READ | DROP_VOLATILE;  // prv

class CDrop {
 public:
  CDrop() = default;
  virtual ~CDrop() = default;
  CDrop(const CDrop&) = delete;
  CDrop& operator=(const CDrop&) = delete;

  // Stores name, flags and value, then derives the access string from the flags.
  void Store(std::string_view name, std::uint32_t flags, std::string_view value);

  std::uint32_t flags() const { return m_flags; }
  const std::string& name() const { return m_name; }
  std::string_view access() const { return m_access; }
  const std::string& value() const { return m_value; }
  bool IsChildLink() const { return (m_flags & DROP_OBJECT) != 0; }

  // What `set` may change: the value alone, flags and access string stay.
  void SetValue(std::string_view value) { m_value.assign(value); }

  // The drop's dir entry is name@access@shown value. A child link shows its kind (the value
  // after the first ';'); a link value with no ';', or one that begins with ';', gives the
  // empty entry.
  struct DirEntry {
    bool empty = true;
    std::string_view name, access, shown;
  };
  DirEntry GetDirEntry() const;
  void AppendDirEntry(std::string& out) const;

  // The node a child link refers to; the parent's drop list holds one reference on it.
  CRiver* child() const { return m_child; }
  void set_child(CRiver* child) { m_child = child; }

  // Place stamp: drops are appended with increasing serials and never reordered, so a position
  // in the list survives the removal of the drop it stands on.
  std::uint64_t serial() const { return m_serial; }
  void set_serial(std::uint64_t serial) { m_serial = serial; }

 private:
  std::uint32_t m_flags = 0;
  char m_access[4] = {};  // beside the flags, where it fills what would be padding
  std::string m_name;
  std::string m_value;
  CRiver* m_child = nullptr;
  std::uint64_t m_serial = 0;
};

}  // namespace swkv
