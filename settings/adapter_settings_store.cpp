#include "settings/adapter_settings_store.h"

#include "platform/named_mutex.h"
#include "settings/settings_layouts.h"
#include "settings/system_family.h"

namespace swkv {

namespace {

// The agent's service and an operator's console store into the one value at once, and each
// store reads the text, edits one pair and writes it back: without one lock across the three,
// the later write drops the pair the other added. The service runs in session 0 and the console
// in the operator's session, so the mutex lives in the Global namespace; the 9x family has no
// sessions and no namespaces, and takes the plain name.
constexpr const char* kStoreMutexNt = "Global\\SwkvAdapterSettings";
constexpr const char* kStoreMutex9x = "SwkvAdapterSettings";

// A store takes milliseconds; a lock held for seconds belongs to a store that is stuck, and
// the user is better told of a registry error than kept waiting for good.
constexpr DWORD kStoreWaitMs = 5000;

}  // namespace

bool StoreAdapterSetting(std::string_view name, std::int32_t value) {
  // A name that would break the text apart ("=", ";", or a terminator inside it) is never stored.
  if (name.empty() || name.find_first_of(std::string_view("=;\0", 3)) != std::string_view::npos)
    return false;
  const bool family9x = CurrentSystemFamily() == SystemFamily::kWindows9x;
  NamedMutexLock storing;
  if (!storing.Acquire(family9x ? kStoreMutex9x : kStoreMutexNt, kStoreWaitMs)) return false;
  return family9x ? StoreInDeviceKeys(name, value) : StoreInDriverKey(name, value);
}

}  // namespace swkv
