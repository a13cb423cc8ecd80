#include "river/dir_enumerator_spares.h"

#include "river/dir_enumerator.h"

namespace swkv {

DirEnumeratorSpares::~DirEnumeratorSpares() {
  while (CDirEnumerator* spare = Take()) delete spare;
}

CDirEnumerator* DirEnumeratorSpares::Take() noexcept {
  for (std::size_t i = kMaxSpares; i-- > 0;) {
    if (CDirEnumerator* spare = m_spares[i]) {
      m_spares[i] = nullptr;
      return spare;
    }
  }
  return nullptr;
}

bool DirEnumeratorSpares::Keep(CDirEnumerator* enumerator) noexcept {
  if (!enumerator) return false;
  for (CDirEnumerator*& slot : m_spares) {
    if (!slot) {
      slot = enumerator;
      return true;
    }
  }
  return false;
}

}  // namespace swkv
