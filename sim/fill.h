// Filling the caller's buffers as the library does, and as a misbehaving one might.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/faults.h"

namespace swkv::sim {

// Writes text with its NUL into size bytes (the rest zeroed); misbehaving, fills all size bytes
// with the text padded by blanks and no NUL.
void FillText(char* out, std::size_t size, const std::string& text, bool unterminated);

// Writes the numbers into the room of 8 and their count. Misbehaving with a count, the room is
// filled (the list repeated) and the requested count reported instead.
void FillList(uint32_t* out, uint32_t* count, const std::vector<uint32_t>& list,
              const FaultEffect& effect);

}  // namespace swkv::sim
