#include "sim/fill.h"

#include <algorithm>
#include <cstring>

#include "raidlib/raidapikv9k.h"

namespace swkv::sim {

void FillText(char* out, std::size_t size, const std::string& text, bool unterminated) {
  std::size_t n = std::min(text.size(), size - 1);
  std::memset(out, unterminated ? ' ' : 0, size);
  std::memcpy(out, text.data(), n);
}

void FillList(uint32_t* out, uint32_t* count, const std::vector<uint32_t>& list,
              const FaultEffect& effect) {
  std::size_t n = std::min<std::size_t>(list.size(), RA_MAX_LIST);
  for (std::size_t i = 0; i < n; ++i) out[i] = list[i];
  *count = static_cast<uint32_t>(n);
  if (!effect.count) return;
  for (std::size_t i = n; i < RA_MAX_LIST; ++i) {
    out[i] = list.empty() ? static_cast<uint32_t>(i) : list[i % list.size()];
  }
  *count = static_cast<uint32_t>(effect.countValue);
}

}  // namespace swkv::sim
