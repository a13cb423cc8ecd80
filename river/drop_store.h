// DropStore: the room a node's drops live in, taken from the heap in blocks of several drops
// rather than one allocation per drop.
#pragma once

#include <cstddef>
#include <memory>

#include "river/drop.h"

namespace swkv {

class DropStore;

// Gives a drop back to the store it came from.
struct DropDeleter {
  DropStore* store = nullptr;
  void operator()(CDrop* drop) const;
};
using DropPtr = std::unique_ptr<CDrop, DropDeleter>;

class DropStore {
 public:
  DropStore() = default;
  // Every drop made here must be gone by then.
  ~DropStore();
  DropStore(const DropStore&) = delete;
  DropStore& operator=(const DropStore&) = delete;

  // A new empty drop; throws std::bad_alloc when no memory is left.
  DropPtr Make();

 private:
  friend struct DropDeleter;
  struct Slot {
    alignas(CDrop) unsigned char bytes[sizeof(CDrop)];
  };
  struct Block {
    Block* next;
    std::size_t slots;
    Slot* At(std::size_t index);
  };
  void Free(CDrop* drop);

  Block* m_blocks = nullptr;  // the newest first
  std::size_t m_used = 0;     // slots of the newest block handed out so far
  void* m_free = nullptr;     // slots given back, linked through their first bytes
};

}  // namespace swkv
