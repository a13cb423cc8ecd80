// Fuzz target: SplitArgs, the splitter of every action argument, with ParseDecimal and
// StartsWithNumber on the fields it yields.
//
// Input: byte 0 is the separator, the rest the text. Checked: at least one field; every field
// lies inside the text, after the one before it; a text without quotes is given back by its
// fields joined with the separator.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "river/args.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const char separator = static_cast<char>(data[0]);
  // A copy of its own, so that reading past the text is caught.
  const std::string copy(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string_view text(copy);
  const auto fields = swkv::SplitArgs(text, separator);
  if (fields.empty()) std::abort();
  const char* previousEnd = text.data();
  for (std::string_view field : fields) {
    if (field.data() < previousEnd || field.data() + field.size() > text.data() + text.size())
      std::abort();
    previousEnd = field.data() + field.size();
    if (swkv::StartsWithNumber(field) &&
        field.find_first_of("0123456789") == std::string_view::npos)
      std::abort();
    (void)swkv::ParseDecimal(field);
  }
  if (text.find('"') == std::string_view::npos) {
    std::string joined;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (i) joined += separator;
      joined += fields[i];
    }
    if (joined != text) std::abort();
  }
  return 0;
}
