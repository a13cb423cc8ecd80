// JSON text for swkvctl's --json output: strings quoted and escaped (input is UTF-8).
#pragma once

#include <string>
#include <string_view>

namespace swkv::ctl {

std::string JsonString(std::string_view text);

}  // namespace swkv::ctl
