// swkvctl's text at the interfaces, where the operator sessions cannot reach it: the component
// keeps single-byte text, so on POSIX it never hands out a character past U+00FF, and never a
// lone surrogate (what the operator types is in transcripts/names.txt).
#include <gtest/gtest.h>

#include "tools/swkvctl/text.h"

namespace swkv::ctl {
namespace {

TEST(SwkvctlPieces, TextCrossesTheInterfaceAsUtf16AndBack) {
  for (const std::string text : {"", "plain", "Gr\xc3\xb6\xc3\x9f" "e", "\xe2\x82\xac 5",
                                 "\xf0\x9f\x92\xbe disk"}) {
    UniqueBstr wide = BstrFromUtf8(text);
    EXPECT_EQ(Utf8FromWide(wide.get(), wide.size()), text);
  }
  const OLECHAR lone[] = {0xD800, 'x', 0};
  EXPECT_EQ(Utf8FromWide(lone), "\xef\xbf\xbdx");
}

}  // namespace
}  // namespace swkv::ctl
