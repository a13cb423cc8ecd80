// swkvctl's own pieces where they read what the component gives: dir entries, event records,
// text at the interfaces, shell lines, and what changed between two looks at the tree.
#include <gtest/gtest.h>

#include "tools/swkvctl/event_records.h"
#include "tools/swkvctl/node_path.h"
#include "tools/swkvctl/river_calls.h"
#include "tools/swkvctl/shell.h"
#include "tools/swkvctl/text.h"

namespace swkv::ctl {
namespace {

TEST(SwkvctlPieces, DirEntriesSplitAtTheAccessStringEvenWhenTheNameHoldsAt) {
  Entry entry;
  ASSERT_TRUE(ParseDirEntry("Status@prv@-2147483647", entry));
  EXPECT_EQ(entry.name, "Status");
  EXPECT_EQ(entry.access, "prv");
  EXPECT_EQ(entry.value, "-2147483647");
  // An array renamed "a@b" links as "a@b@o--@25"; a value may hold '@' too.
  ASSERT_TRUE(ParseDirEntry("a@b@o--@25", entry));
  EXPECT_EQ(entry.name, "a@b");
  EXPECT_TRUE(entry.IsLink());
  ASSERT_TRUE(ParseDirEntry("name@prw@x@pr-@y", entry));
  EXPECT_EQ(entry.name, "name");
  EXPECT_EQ(entry.value, "x@pr-@y");
  ASSERT_TRUE(ParseDirEntry("percent@prv@", entry));
  EXPECT_EQ(entry.value, "");
  // The empty entry of a malformed link, and other shapes, are not entries.
  EXPECT_FALSE(ParseDirEntry("", entry));
  EXPECT_FALSE(ParseDirEntry("@pr-@x", entry));
  EXPECT_FALSE(ParseDirEntry("name@rw@x", entry));
}

TEST(SwkvctlPieces, EventRecordsKeepTheTextWholeAfterTheFourthAt) {
  EventRecord record;
  ASSERT_TRUE(ParseEventRecord("522@1717243231@3@Ary. Critical@Array 1@2 is critical", record));
  EXPECT_EQ(record.category, 522);
  EXPECT_EQ(record.TimeText(), "2024-06-01 12:00:31");
  EXPECT_EQ(record.SeverityWord(), "error");
  EXPECT_EQ(record.name, "Ary. Critical");
  EXPECT_EQ(record.text, "Array 1@2 is critical");
  EventRecord other;
  ASSERT_TRUE(ParseEventRecord("522@1717243299@3@Ary. Critical@Array 1@2 is critical", other));
  EXPECT_TRUE(record.SameEvent(other));  // read at another time, the same event
  EXPECT_FALSE(ParseEventRecord("522@x@3@n@t", record));
  EXPECT_FALSE(ParseEventRecord("522@1@3@no text", record));
  EXPECT_EQ(record.raw, "522@1@3@no text");
}

TEST(SwkvctlPieces, TextCrossesTheInterfaceAsUtf16AndBack) {
  for (const std::string text : {"", "plain",
                                 "Gr\xc3\xb6\xc3\x9f"
                                 "e",
                                 "\xe2\x82\xac 5", "\xf0\x9f\x92\xbe disk"}) {
    UniqueBstr wide = BstrFromUtf8(text);
    EXPECT_EQ(Utf8FromWide(wide.get(), wide.size()), text);
  }
  EXPECT_EQ(BstrFromUtf8("\xe2\x82\xac").size(), 1u);
  // A byte that is not UTF-8 stands for the character of its number; so do the bytes of an
  // encoded surrogate and of an overlong form.
  EXPECT_EQ(BstrFromUtf8("\xed\xa0\x80").size(), 3u);
  EXPECT_EQ(BstrFromUtf8("\xe0\x80\xaf").size(), 3u);
  UniqueBstr latin = BstrFromUtf8("caf\xe9");
  ASSERT_EQ(latin.size(), 4u);
  EXPECT_EQ(latin.get()[3], 0xE9);
  const OLECHAR lone[] = {0xD800, 'x', 0};
  EXPECT_EQ(Utf8FromWide(lone), "\xef\xbf\xbdx");
}

TEST(SwkvctlPieces, ShellLinesSplitLikeAShells) {
  std::vector<std::string> words;
  std::string why;
  ASSERT_TRUE(SplitLine("invoke HBA1 CreateArray 'Data@RAID1(MIRROR)@2@a b' # note", words, why));
  EXPECT_EQ(words, (std::vector<std::string>{"invoke", "HBA1", "CreateArray",
                                             "Data@RAID1(MIRROR)@2@a b"}));
  ASSERT_TRUE(SplitLine("set . name \"say \\\"hi\\\"\" x\\ y ''", words, why));
  EXPECT_EQ(words, (std::vector<std::string>{"set", ".", "name", "say \"hi\"", "x y", ""}));
  ASSERT_TRUE(SplitLine("get a#b", words, why));
  EXPECT_EQ(words, (std::vector<std::string>{"get", "a#b"}));
  EXPECT_FALSE(SplitLine("get \"open", words, why));
  EXPECT_EQ(why, "unterminated \" quote");
}

TEST(SwkvctlPieces, PathsGoUpAndDownFromTheCurrentNode) {
  EXPECT_EQ(JoinPath(SplitPath("HBA1/System", "../ch1/./master")), "HBA1/ch1/master");
  EXPECT_EQ(JoinPath(SplitPath("HBA1/System", "/HBA2")), "HBA2");
  EXPECT_EQ(JoinPath(SplitPath("HBA1", "../../..")), "");
  EXPECT_EQ(JoinPath(SplitPath("", "HBA1//ch2/")), "HBA1/ch2");
  EXPECT_EQ(ShowPath(""), "/");
}

}  // namespace
}  // namespace swkv::ctl
