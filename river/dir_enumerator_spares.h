// The dir enumerators a node keeps after the agent released them, so that an agent listing the
// node again allocates nothing. A spare holds no reference on the node and no module lock; the
// node deletes the spares it still keeps when it is destroyed.
#pragma once

#include <cstddef>

namespace swkv {

class CDirEnumerator;

class DirEnumeratorSpares {
 public:
  DirEnumeratorSpares() = default;
  DirEnumeratorSpares(const DirEnumeratorSpares&) = delete;
  DirEnumeratorSpares& operator=(const DirEnumeratorSpares&) = delete;
  ~DirEnumeratorSpares();

  // A kept enumerator, given up by the list; null when none is kept.
  CDirEnumerator* Take() noexcept;
  // Keeps a released enumerator; false when the list is full (the caller deletes it then).
  bool Keep(CDirEnumerator* enumerator) noexcept;

  // A listing and one clone of it at a time come back without allocating.
  static constexpr std::size_t kMaxSpares = 2;

 private:
  // Filled from the front: the kept ones, then nulls.
  CDirEnumerator* m_spares[kMaxSpares] = {};
};

}  // namespace swkv
