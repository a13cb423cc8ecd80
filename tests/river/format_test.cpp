// Value formatting: the printf-style setter, size texts and the argument splitter.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "river/args.h"
#include "river/format.h"
#include "tests/support/agent.h"
#include "tests/support/test_node.h"

namespace swkv::test {
namespace {

TEST(SetProperty, FormatsLikePrintf) {
  ComPtr<TestRoot> node(TestRoot::Make());
  node->SetProperty("pair", kReadOnly, "%d;%d", 1234, 25);
  node->SetProperty("pct", kReadOnly, "50%%");
  node->SetProperty("wide", kReadOnly, "%10s", "abc");
  node->SetProperty("cut", kReadOnly, "%.2s", "abcd");
  node->SetProperty("hex", kReadOnly, "0x%08X", 0xD800u);
  node->SetProperty("pad", kReadOnly, "0x%4X", 0x1F0u);
  node->SetProperty("empty", kReadOnly, "%s", "");
  EXPECT_EQ(Get(node.get(), "pair"), "1234;25");
  EXPECT_EQ(Get(node.get(), "pct"), "50%");
  EXPECT_EQ(Get(node.get(), "wide"), "       abc");
  EXPECT_EQ(Get(node.get(), "cut"), "ab");
  EXPECT_EQ(Get(node.get(), "hex"), "0x0000D800");
  EXPECT_EQ(Get(node.get(), "pad"), "0x 1F0");
  EXPECT_EQ(Entry(node.get(), "empty"), "empty@pr-@");
}

TEST(SetProperty, IntegersAreSignedDecimal) {
  ComPtr<TestRoot> node(TestRoot::Make());
  node->SetIntProperty("zero", kReadOnly, 0);
  node->SetIntProperty("minus", kReadOnly, -1);
  node->SetIntProperty("status", kChanging, static_cast<std::int32_t>(0x80000001u));
  EXPECT_EQ(Get(node.get(), "zero"), "0");
  EXPECT_EQ(Get(node.get(), "minus"), "-1");
  EXPECT_EQ(Get(node.get(), "status"), "-2147483647");
}

TEST(SetProperty, TextWithPercentSignsIsStoredVerbatimThroughPercentS) {
  ComPtr<TestRoot> node(TestRoot::Make());
  node->SetProperty("dv", kReadOnly, "%s", "v1.0 %s %n 100%");
  EXPECT_EQ(Get(node.get(), "dv"), "v1.0 %s %n 100%");
}

TEST(SetProperty, LongValuesAreStoredWhole) {
  ComPtr<TestRoot> node(TestRoot::Make());
  std::string text(3000, 'z');
  node->SetProperty("long", kReadOnly, "%s", text.c_str());
  EXPECT_EQ(node->FindDrop("long")->value(), text);
  EXPECT_EQ(Get(node.get(), "long", 4000), text);
}

TEST(SetProperty, ExistingNameChangesFlagsAndAccessInPlace) {
  ComPtr<TestRoot> node(TestRoot::Make());
  node->SetIntProperty("x", kReadOnly, 1);
  node->SetIntProperty("y", kReadOnly, 2);
  node->SetIntProperty("x", kChanging, 3);
  EXPECT_EQ(Dir(node.get())[1], "x@prv@3");
}

TEST(FormatSizeText, Borders) {
  EXPECT_EQ(FormatSizeText(0), "0 Bytes");
  EXPECT_EQ(FormatSizeText(0xFFFFF), "1048575 Bytes");
  EXPECT_EQ(FormatSizeText(0x100000), "1.000 MB");
  EXPECT_EQ(FormatSizeText(0x9FFFFF), "9.999 MB");
  EXPECT_EQ(FormatSizeText(0xA00000), "10 MB");
  EXPECT_EQ(FormatSizeText(0x3FFFFFFF), "1023 MB");
  EXPECT_EQ(FormatSizeText(0x40000000), "1.000 GB (1024 MB)");
  EXPECT_EQ(FormatSizeText(0x60000000), "1.500 GB (1536 MB)");
  EXPECT_EQ(FormatSizeText(0x7FF00000), "1.999 GB (2047 MB)");
  EXPECT_EQ(FormatSizeText(0x27FFFFFFFull), "9.999 GB (10239 MB)");
  EXPECT_EQ(FormatSizeText(0x280000000ull), "10.000 GB");
  EXPECT_EQ(FormatSizeText(40020664320ull), "37.271 GB");
  EXPECT_EQ(FormatSizeText(20000ull * 512), "9.765 MB");
}

TEST(SplitArgs, FieldsAtEachSeparator) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(SplitArgs("512@7", '@'), (V{"512", "7"}));
  EXPECT_EQ(SplitArgs("512@", '@'), (V{"512", ""}));
  EXPECT_EQ(SplitArgs("whole", '@'), (V{"whole"}));
  EXPECT_EQ(SplitArgs("", '@'), (V{""}));
  EXPECT_EQ(SplitArgs("@@", '@'), (V{"", "", ""}));
}

TEST(SplitArgs, QuotedFieldsHoldSeparators) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(SplitArgs("a@\"b@c\"@d", '@'), (V{"a", "b@c", "d"}));
  EXPECT_EQ(SplitArgs("a@\"b\"junk@d", '@'), (V{"a", "b", "d"}));
  EXPECT_EQ(SplitArgs("a@\"b\"", '@'), (V{"a", "b"}));
  EXPECT_EQ(SplitArgs("a@\"b\"@\"c@\"", '@'), (V{"a", "b", "c@"}));
  EXPECT_EQ(SplitArgs("\"a@b\"", '@'), (V{"\"a", "b\""}));  // no quote treatment for the first
}

TEST(SplitArgs, AnUnclosedQuoteStopsTheSplitting) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(SplitArgs("a@b@\"c@d", '@'), (V{"a", "b"}));
}

TEST(ParseDecimal, LeadingNumberOrZero) {
  EXPECT_EQ(ParseDecimal("16"), 16);
  EXPECT_EQ(ParseDecimal("  -7x"), -7);
  EXPECT_EQ(ParseDecimal("+3"), 3);
  EXPECT_EQ(ParseDecimal("abc"), 0);
  EXPECT_EQ(ParseDecimal(""), 0);
  EXPECT_EQ(ParseDecimal("-"), 0);
  EXPECT_EQ(ParseDecimal("4294967297"), 1);  // wraps like a 32-bit register
  EXPECT_EQ(ParseDecimal(std::string_view("12", 1)), 1);  // stays inside the text
  EXPECT_TRUE(StartsWithNumber(" -5"));
  EXPECT_FALSE(StartsWithNumber("x5"));
}

}  // namespace
}  // namespace swkv::test
