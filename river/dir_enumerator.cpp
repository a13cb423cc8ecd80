#include "river/dir_enumerator.h"

#include <new>
#include <utility>

#include "com/module_lock.h"
#include "platform/text.h"

namespace swkv {

namespace {

// Writes name@access@shown into the agent's buffer, cut at the buffer's length.
void WriteDirEntry(const CDrop& drop, BSTR buffer) {
  if (!buffer) return;
  const std::size_t capacity = SysStringLen(buffer);
  std::size_t used = 0;
  auto put = [&](std::string_view piece) {
    used += CopyToWideBuffer(piece, buffer + used, capacity - used);
  };
  buffer[0] = 0;
  CDrop::DirEntry entry = drop.GetDirEntry();
  if (entry.empty) return;
  put(entry.name);
  put("@");
  put(entry.access);
  put("@");
  put(entry.shown);
}

}  // namespace

CDirEnumerator* CDirEnumerator::Create(CRiver* node, DropPosition position) {
  CDirEnumerator* enumerator = node->enumerator_spares().Take();
  if (!enumerator) enumerator = new (std::nothrow) CDirEnumerator;
  if (!enumerator) return nullptr;
  enumerator->m_node = ComPtr<CRiver>(node);
  enumerator->m_position = position;
  LockModule();
  return enumerator;
}

HRESULT CDirEnumerator::QueryInterface(REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IEnumString)) return E_NOINTERFACE;
  AddRef();
  *ppv = static_cast<IEnumString*>(this);
  return S_OK;
}

ULONG CDirEnumerator::AddRef() { return ++m_refs; }

ULONG CDirEnumerator::Release() {
  ULONG refs = --m_refs;
  if (refs == 0) Retire();
  return refs;
}

void CDirEnumerator::Retire() {
  ComPtr<CRiver> node = std::move(m_node);
  m_position = {};
  UnlockModule();  // the node's own lock keeps the module while the node lives
  if (!node || !node->enumerator_spares().Keep(this)) delete this;
  // Releasing the node last: when that was its last reference, the node deletes its spares.
}

bool CDirEnumerator::Step(CDrop** drop) {
  if (!m_position.valid) return false;
  CDrop* current = m_node->DropAt(m_position);
  if (!current) {
    m_position = {};
    return false;
  }
  m_position = m_node->PositionAfter(current);
  if (drop) *drop = current;
  return true;
}

HRESULT CDirEnumerator::Next(ULONG celt, LPOLESTR* rgelt, ULONG* pceltFetched) {
  if (!m_node) return S_FALSE;
  if (celt > 0 && !rgelt) return E_POINTER;
  ULONG fetched = 0;
  CDrop* drop = nullptr;
  while (fetched < celt && Step(&drop)) {
    WriteDirEntry(*drop, rgelt[fetched]);
    ++fetched;
  }
  if (pceltFetched) *pceltFetched = fetched;
  return fetched == 0 ? S_FALSE : S_OK;
}

HRESULT CDirEnumerator::Skip(ULONG celt) {
  if (!m_node) return S_FALSE;
  for (ULONG i = 0; i < celt && Step(nullptr); ++i) {
  }
  // Standing past the last drop counts as the end even before the next step finds out.
  if (m_position.valid && !m_node->DropAt(m_position)) m_position = {};
  return m_position.valid ? S_OK : S_FALSE;
}

HRESULT CDirEnumerator::Reset() {
  m_position = m_node->GetHeadPosition();
  return m_position.valid ? S_OK : S_FALSE;
}

HRESULT CDirEnumerator::Clone(IEnumString** ppenum) {
  if (!ppenum) return E_POINTER;
  CDirEnumerator* copy = Create(m_node.get(), m_position);
  if (!copy) return E_OUTOFMEMORY;
  copy->AddRef();
  *ppenum = copy;
  return S_OK;
}

}  // namespace swkv
