// swkvctl's pieces where the operator sessions cannot reach them (what the operator types is in
// transcripts/names.txt): the component keeps single-byte text, so on POSIX it never hands out a
// character past U+00FF nor a lone surrogate, and it gives no entry of an empty name.
#include <gtest/gtest.h>

#include "tools/swkvctl/event_records.h"
#include "tools/swkvctl/river_calls.h"
#include "tools/swkvctl/text.h"

namespace swkv::ctl {
namespace {

TEST(SwkvctlPieces, TextCrossesTheInterfaceAsUtf16AndBack) {
  for (const std::string text : {"", "plain", "Gr\xc3\xb6\xc3\x9f" "e", "\xe2\x82\xac 5",
                                 "\xf0\x9f\x92\xbe disk", "\xf4\x8f\xbf\xbf"}) {
    UniqueBstr wide = BstrFromUtf8(text);
    EXPECT_EQ(Utf8FromWide(wide.get(), wide.size()), text);
  }
  const OLECHAR lone[] = {0xD800, 'x', 0};
  EXPECT_EQ(Utf8FromWide(lone), "\xef\xbf\xbdx");
  // A sequence cut short where the text ends, though the bytes after it would complete it.
  EXPECT_EQ(BstrFromUtf8(std::string_view("\xe2\x82\xac", 2)).size(), 2u);
}

TEST(SwkvctlPieces, AnEntryHasANameAndSplitsAtItsAccess) {
  Entry entry;
  EXPECT_FALSE(ParseDirEntry("@pr-@x", entry));
  EXPECT_FALSE(ParseDirEntry("n@pw-@x", entry));
  for (const char* access : {"pr-", "prw", "prv", "p--", "p-w", "p-v", "m--", "o--"}) {
    ASSERT_TRUE(ParseDirEntry(std::string("a@b@@") + access + "@x@y", entry)) << access;
    EXPECT_EQ(entry.name + "|" + entry.access + "|" + entry.value,
              std::string("a@b@|") + access + "|x@y");
  }
}

TEST(SwkvctlPieces, AnEventRecordIsThreeNumbersANameAndAText) {
  EventRecord record;
  ASSERT_TRUE(ParseEventRecord("3@1700000000@2@disk@a@b", record));
  EXPECT_EQ(record.name + "|" + record.text, "disk|a@b");
  for (const char* raw : {"@1@2@n@t", "3@@2@n@t", "3@1@@n@t", "3@1@2x@n@t", "3@1@2@n"})
    EXPECT_FALSE(ParseEventRecord(raw, record)) << raw;
}

}  // namespace
}  // namespace swkv::ctl
