#include "tree/raid_mode_text.h"

#include <array>

#include "platform/module_instance.h"
#include "platform/win.h"

namespace swkv {

std::string RaidModeText(std::int32_t mode) {
  unsigned id = mode >= 0 && mode < 6 ? kRaidModeStringIds[mode] : kUnknownRaidType;
  std::array<char, 256> text{};
  int length = LoadStringA(ModuleInstance(), id, text.data(), static_cast<int>(text.size()));
  return length > 0 ? std::string(text.data(), static_cast<std::size_t>(length)) : std::string();
}

}  // namespace swkv
