// swkvctl's pieces where the operator sessions cannot reach them (what the operator types is in
// transcripts/names.txt): the component keeps single-byte text, so on POSIX it never hands out a
// character past U+00FF nor a lone surrogate, and it gives no entry of an empty name.
#include <gtest/gtest.h>

#include "tools/swkvctl/display_text.h"
#include "tools/swkvctl/entry_json.h"
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

// A record the component writes is read in events.txt; these are records it never writes.
TEST(SwkvctlPieces, ARecordWithoutThreeNumbersANameAndATextIsNoEvent) {
  EventRecord record;
  for (const char* raw : {"@1@2@n@t", "3@@2@n@t", "3@1@@n@t", "3@1@2x@n@t", "3@1@2@n"})
    EXPECT_FALSE(ParseEventRecord(raw, record)) << raw;
}

// Names the component can hold but the simulated controllers never give: C1 controls, DEL, a
// trailing backslash. Each is shown without a control character and typed back to itself.
TEST(SwkvctlPieces, ANameShownInAPathIsTypedBackToItself) {
  for (const std::string name :
       {"plain", "a/b", "back\\slash", "\x1b[31mred", "new\nline", "tab\tcr\r", "del\x7f",
        "c1 \xc2\x85 \xc2\x9b", "\\x41 stays", "ends\\", "\xc2\xa0 no-break space"}) {
    const std::string step = PathStep(name);
    for (char c : step) EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7f) << step;
    EXPECT_EQ(step.find("\xc2\x85"), std::string::npos) << step;
    EXPECT_EQ(NameOfStep(step), name) << step;
    EXPECT_EQ(StepEnd(step + "/next", 0), step.size()) << step;
  }
  EXPECT_EQ(NameOfStep("\\q\\x4"), "\\q\\x4");  // not an escape: the backslash stays
}

// Sizes as the component writes them, in each of its forms but the plain GB one (which the
// sessions' JSON listings show).
TEST(SwkvctlPieces, ASizeTextGivesItsBytes) {
  EXPECT_EQ(SizeBytes("1.250 GB (1280 MB)"), 1280LL << 20);
  EXPECT_EQ(SizeBytes("12 MB"), 12LL << 20);
  EXPECT_EQ(SizeBytes("1.500 MB"), (1LL << 20) + (512LL << 10));
  EXPECT_EQ(SizeBytes("800 Bytes"), 800);
  for (const char* text : {"", "74.530 TB", "about 3 GB", "74.530 GB extra", "12 MB (x)"})
    EXPECT_EQ(SizeBytes(text), -1) << text;
}

}  // namespace
}  // namespace swkv::ctl
