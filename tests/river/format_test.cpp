// Value formatting: the printf-style setter, size texts and the argument splitter.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <utility>

#include "river/args.h"
#include "river/format.h"
#include "tests/support/agent.h"
#include "tests/support/test_node.h"

namespace swkv::test {
namespace {

TEST(SetProperty, StoresWhatTheFormatWritesWhole) {
  ComPtr<TestNode> node(TestNode::Make(nullptr, "n"));
  const std::string longText(3000, 'z');
  const char* volatile none = nullptr;  // not known to the compiler as null
  char nullText[16];
  std::snprintf(nullText, sizeof nullText, "%s", none);
  node->SetProperty("pair", kReadOnly, "%d;%d", 1234, 25);
  node->SetProperty("verbatim", kReadOnly, "%s", "v1.0 %s %n 100% a%d b");
  node->SetProperty("null", kReadOnly, "%s", none);
  node->SetProperty("formatted", kReadOnly, "%s.", longText.c_str());
  node->SetProperty("min", kReadOnly, "%d", INT32_MIN);
  node->SetIntProperty("max", kReadOnly, INT32_MAX);
  node->SetIntProperty("zero", kReadOnly, 0);
  const std::pair<const char*, std::string> expected[] = {
      {"pair", "1234;25"},     {"verbatim", "v1.0 %s %n 100% a%d b"},
      {"null", nullText},      {"formatted", longText + "."}, {"min", "-2147483648"},
      {"max", "2147483647"},   {"zero", "0"}};
  for (const auto& [name, value] : expected) EXPECT_EQ(Get(node.get(), name, 4000), value) << name;
}

TEST(FormatSizeText, Borders) {
  // Each border and the number below it; the sessions show "0 Bytes", "9.765 MB" and GB texts.
  const std::pair<std::uint64_t, const char*> cases[] = {
      {0xFFFFF, "1048575 Bytes"},          {0x100000, "1.000 MB"},
      {0x9FFFFF, "9.999 MB"},              {0xA00000, "10 MB"},
      {0x3FFFFFFF, "1023 MB"},             {0x40000000, "1.000 GB (1024 MB)"},
      {0x27FFFFFFFull, "9.999 GB (10239 MB)"}, {0x280000000ull, "10.000 GB"}};
  for (const auto& [bytes, text] : cases) EXPECT_EQ(FormatSizeText(bytes), text) << bytes;
}

TEST(SplitArgs, FieldsAtEachSeparatorQuotedFieldsHoldThem) {
  using V = std::vector<std::string_view>;
  const std::pair<const char*, V> cases[] = {
      {"512@7", {"512", "7"}}, {"512@", {"512", ""}}, {"whole", {"whole"}}, {"", {""}},
      {"@@", {"", "", ""}},
      {"a@\"b@c\"@d", {"a", "b@c", "d"}},
      {"a@\"b\"junk@d", {"a", "b", "d"}},
      {"a@\"b\"@\"c@\"", {"a", "b", "c@"}},
      {"\"a@b\"", {"\"a", "b\""}},  // no quote treatment for the first field
      {"a@b@\"c@d", {"a", "b"}}};   // an unclosed quote stops the splitting
  for (const auto& [text, fields] : cases) EXPECT_EQ(SplitArgs(text, '@'), fields) << text;
}

TEST(ParseDecimal, LeadingNumberOrZero) {
  const std::pair<std::string_view, int> cases[] = {
      {"16", 16}, {"  -7x", -7}, {"+3", 3}, {"abc", 0}, {"", 0}, {"-", 0},
      {"4294967297", 1},                  // wraps like a 32-bit register
      {std::string_view("12", 1), 1}};    // stays inside the text
  for (const auto& [text, value] : cases) EXPECT_EQ(ParseDecimal(text), value) << text;
  EXPECT_TRUE(StartsWithNumber(" -5"));
  EXPECT_FALSE(StartsWithNumber("x5"));
}

}  // namespace
}  // namespace swkv::test
