// The BSTR block and the text conversion that every host and the component rely on.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/com_ptr.h"
#include "platform/text.h"

using swkv::AnsiText;
using swkv::CopyToBstrBuffer;
using swkv::UniqueBstr;

TEST(Bstr, BlockLayoutHasByteLengthPrefixAndTerminator) {
  const OLECHAR text[] = {'a', 'b', 'c', 0};
  UniqueBstr s(SysAllocString(text));
  ASSERT_TRUE(s);
  EXPECT_EQ(SysStringLen(s.get()), 3u);
  EXPECT_EQ(SysStringByteLen(s.get()), 6u);
  std::uint32_t prefix;
  std::memcpy(&prefix, reinterpret_cast<const char*>(s.get()) - 4, 4);
  EXPECT_EQ(prefix, 6u);
  EXPECT_EQ(s.get()[3], 0);
}

TEST(Bstr, NullStringsHaveNoLengthAndFreeQuietly) {
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  SysFreeString(nullptr);
  UniqueBstr zeros(SysAllocStringLen(nullptr, 4));
  ASSERT_TRUE(zeros);
  for (int i = 0; i <= 4; ++i) EXPECT_EQ(zeros.get()[i], 0);
}

TEST(Text, EveryByteRoundTrips) {
  std::string all;
  for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
  UniqueBstr wide = UniqueBstr::FromAnsi(all);
  ASSERT_EQ(wide.size(), 255u);
  EXPECT_EQ(wide.get()[0xE9 - 1], 0xE9);
  AnsiText back(wide.get());
  EXPECT_EQ(back.view(), all);
}

TEST(Text, WideCharactersTheCodePageLacksBecomeQuestionMarks) {
  // A character of no single-byte code page (the euro sign, say, is in the Windows ones).
  const OLECHAR text[] = {'x', 0x4E2D, 'y'};
  AnsiText ansi(text, 3);
  EXPECT_EQ(ansi.view(), "x?y");
}

TEST(Text, EmbeddedZerosArePartOfABstr) {
  const OLECHAR text[] = {'a', 0, 'b'};
  UniqueBstr s(SysAllocStringLen(text, 3));
  AnsiText ansi(s.get());
  EXPECT_EQ(ansi.view(), std::string("a\0b", 3));
}

TEST(Text, LongTextsConvertWhole) {
  std::string longText(5000, 'q');
  UniqueBstr wide = UniqueBstr::FromAnsi(longText);
  AnsiText back(wide.get());
  EXPECT_EQ(back.view(), longText);
}

TEST(Text, CopyIntoAShortBufferIsCutAndTerminated) {
  UniqueBstr buffer = UniqueBstr::Buffer(4);
  EXPECT_EQ(CopyToBstrBuffer("abcdefgh", buffer.get()), 4u);
  EXPECT_EQ(AnsiText(buffer.get(), 4).view(), "abcd");
  EXPECT_EQ(buffer.get()[4], 0);
  EXPECT_EQ(SysStringLen(buffer.get()), 4u);
}
