// The two places the adapter settings text is kept, one per system family.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace swkv {

// The most the store reads of a settings value, terminator included.
constexpr std::size_t kDriverKeyTextCapacity = 1024;
constexpr std::size_t kDeviceKeyTextCapacity = 512;

// NT family: the value "DriverParameter" under the driver's service key.
bool StoreInDriverKey(std::string_view name, std::int32_t value);

// 9x family: the value "AdapterSettings" of every instance of every supported controller.
bool StoreInDeviceKeys(std::string_view name, std::int32_t value);

}  // namespace swkv
