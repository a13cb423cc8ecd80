// Parsing of action argument texts: fields separated by '@', numbers in decimal. Every function
// here stays inside the text it is given.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace swkv {

// Cuts the text into fields at each separator. A field that begins (after a separator) with a
// double quote runs to the next double quote and may hold separators; what follows the closing
// quote up to the next separator belongs to no field. An opening quote without a closing one
// stops the splitting: that field and the rest are not counted. A text without separators is
// one field. The fields are views into the text.
std::vector<std::string_view> SplitArgs(std::string_view text, char separator);

// The decimal number at the start of the text: leading white space skipped, an optional sign,
// then digits up to the first other character; 0 when there are no digits. Values beyond 32 bits
// wrap as a 32-bit register would.
std::int32_t ParseDecimal(std::string_view text);

// True when the text starts (after white space and a sign) with at least one digit.
bool StartsWithNumber(std::string_view text);

}  // namespace swkv
