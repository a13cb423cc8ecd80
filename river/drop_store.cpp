#include "river/drop_store.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/memory_poison.h"

namespace swkv {

namespace {

// The first block has room for 4 drops, every later one for 8: a channel's few entries take
// one block, a disk's dozen two, an array's score three; few slots stay empty.
constexpr std::size_t kFirstSlots = 4;
constexpr std::size_t kMostSlots = 8;

// The block header, rounded up so that the slots after it are aligned for a drop.
constexpr std::size_t kHeader = (sizeof(void*) * 2 + alignof(CDrop) - 1) / alignof(CDrop) *
                                alignof(CDrop);

}  // namespace

void DropDeleter::operator()(CDrop* drop) const {
  if (store) store->Free(drop);
}

DropStore::Slot* DropStore::Block::At(std::size_t index) {
  return reinterpret_cast<Slot*>(reinterpret_cast<unsigned char*>(this) + kHeader) + index;
}

DropStore::~DropStore() {
  while (m_blocks) {
    Block* next = m_blocks->next;
    MarkUsable(m_blocks, kHeader + m_blocks->slots * sizeof(Slot));
    ::operator delete(m_blocks);
    m_blocks = next;
  }
}

DropPtr DropStore::Make() {
  void* room = nullptr;
  if (m_free) {
    // Room that holds no drop is kept unusable, so that the sanitizer still reports a drop read
    // after it was freed although its room stays with the node.
    room = m_free;
    MarkUsable(room, sizeof(Slot));
    std::memcpy(&m_free, room, sizeof m_free);
  } else {
    if (!m_blocks || m_used == m_blocks->slots) {
      static_assert(sizeof(Block) <= kHeader);
      const std::size_t slots = m_blocks ? std::min(2 * m_blocks->slots, kMostSlots) : kFirstSlots;
      void* memory = ::operator new(kHeader + slots * sizeof(Slot));
      m_blocks = new (memory) Block{m_blocks, slots};
      m_used = 0;
      MarkUnusable(m_blocks->At(0), slots * sizeof(Slot));
    }
    room = m_blocks->At(m_used++);
    MarkUsable(room, sizeof(Slot));
  }
  return DropPtr(new (room) CDrop, DropDeleter{this});
}

void DropStore::Free(CDrop* drop) {
  drop->~CDrop();
  void* room = drop;
  std::memcpy(room, &m_free, sizeof m_free);
  m_free = room;
  MarkUnusable(room, sizeof(Slot));
}

}  // namespace swkv
