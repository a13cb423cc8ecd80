#include "settings/adapter_settings_store.h"

#include "settings/settings_layouts.h"
#include "settings/system_family.h"

namespace swkv {

bool StoreAdapterSetting(std::string_view name, std::int32_t value) {
  // A name that would break the text apart ("=", ";", or a terminator inside it) is never stored.
  if (name.empty() || name.find_first_of(std::string_view("=;\0", 3)) != std::string_view::npos)
    return false;
  if (CurrentSystemFamily() == SystemFamily::kWindows9x) return StoreInDeviceKeys(name, value);
  return StoreInDriverKey(name, value);
}

}  // namespace swkv
