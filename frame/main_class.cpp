#include "frame/main_class.h"

#include <new>

#include "frame/aggregated_root.h"
#include "tree/root_node.h"
#include "river/river.h"

namespace swkv {

namespace {

// Queries a new object (count 0) for riid. Holding a reference over the query destroys the
// object when the query fails.
template <class T>
HRESULT QueryNew(T* object, REFIID riid, void** ppv) {
  object->AddRef();
  HRESULT hr = object->QueryInterface(riid, ppv);
  object->Release();
  return hr;
}

}  // namespace

HRESULT CreateMainClassInstance(IUnknown* outer, REFIID riid, void** ppv) {
  CRiver* root = nullptr;
  try {
    root = NewRootNode();
  } catch (const std::bad_alloc&) {
    root = nullptr;
  }
  if (!root) return E_OUTOFMEMORY;
  if (!outer) return QueryNew(root, riid, ppv);
  CAggregatedRoot* aggregate = CAggregatedRoot::Create(outer, root);
  if (!aggregate) {
    root->AddRef();
    root->Release();  // the teardown of a root that nobody holds
    return E_OUTOFMEMORY;
  }
  return QueryNew(aggregate, riid, ppv);
}

}  // namespace swkv
