// Text at the component's interfaces is UTF-16; swkvctl works in UTF-8, what terminals, files and
// JSON use. The component keeps single-byte text inside, so characters outside its code page come
// back as '?'.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/com_ptr.h"

namespace swkv::ctl {

// UTF-8 of length UTF-16 units; an unpaired surrogate becomes U+FFFD.
std::string Utf8FromWide(const OLECHAR* text, std::size_t length);
// UTF-8 of a zero-terminated UTF-16 text (empty for null).
std::string Utf8FromWide(const OLECHAR* text);
// A BSTR holding the UTF-16 of UTF-8 text; a byte that is not part of valid UTF-8 is taken as the
// character of that number (U+0080 to U+00FF), so single-byte text passes through unchanged.
UniqueBstr BstrFromUtf8(std::string_view text);

}  // namespace swkv::ctl
