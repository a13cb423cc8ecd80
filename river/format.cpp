#include "river/format.h"

#include <array>
#include <cstdio>

namespace swkv {

std::string FormatSizeText(std::uint64_t bytes) {
  const auto gib = static_cast<std::uint32_t>(bytes >> 30);
  const auto mib = static_cast<std::uint32_t>(bytes >> 20);
  const auto kib = static_cast<std::uint32_t>(bytes >> 10);
  // Thousandths of the next unit, in 32-bit unsigned arithmetic.
  const std::uint32_t gibFraction = ((mib & 0x3FFu) * 1000u) >> 10;
  const std::uint32_t mibFraction = ((kib & 0x3FFu) * 1000u) >> 10;
  std::array<char, 64> text{};
  if (bytes >= 0x280000000ull)
    std::snprintf(text.data(), text.size(), "%u.%03u GB", gib, gibFraction);
  else if (bytes >= 0x40000000ull)
    std::snprintf(text.data(), text.size(), "%u.%03u GB (%u MB)", gib, gibFraction, mib);
  else if (bytes >= 0xA00000ull)
    std::snprintf(text.data(), text.size(), "%u MB", mib);
  else if (bytes >= 0x100000ull)
    std::snprintf(text.data(), text.size(), "%u.%03u MB", mib, mibFraction);
  else
    std::snprintf(text.data(), text.size(), "%u Bytes", static_cast<std::uint32_t>(bytes));
  return text.data();
}

}  // namespace swkv
