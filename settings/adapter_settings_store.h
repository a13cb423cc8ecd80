// The adapter settings store: controller settings kept among the controller driver's registry
// parameters, where the driver reads them.
#pragma once

#include <cstdint>
#include <string_view>

namespace swkv {

// Stores name=value (value in decimal) in the adapter settings text, replacing a pair of that
// name (compared case-insensitively, its stored spelling kept) or adding one.
//
// On the NT family the text is the value "DriverParameter" of the driver's key
// HKLM\SYSTEM\CurrentControlSet\Services\Swiftbay\Parameters\Device (created when missing). On
// the 9x family it is the value "AdapterSettings" of every instance key of every supported
// controller below HKLM\Enum\PCI.
//
// True when the text was written (on the 9x family: when the hardware key could be walked and
// every text written, also when no controller is installed). False when the storage place cannot
// be opened, when a stored text cannot be read or would not fit once the setting is added, or
// when a write fails; the caller then tells the user that the registry could not be updated.
// Nothing is written when a stored text cannot be read or would not fit.
//
// One store at a time, across every process of the machine: a store waits at most 5 seconds
// for another to finish, then writes nothing and returns false.
bool StoreAdapterSetting(std::string_view name, std::int32_t value);

}  // namespace swkv
