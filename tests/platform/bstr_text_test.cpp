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

// The conversions refuse what the system refuses, and report the room they need.
TEST(Text, ConversionsCheckTheirArgumentsAsTheSystemDoes) {
  const OLECHAR wideAb[] = {'a', 'b', 0};
  const struct {
    const char* narrow;
    const OLECHAR* wide;
    int sourceCount;
    bool withRoom;
    int roomCount;
    int result;
    DWORD error;  // 0: none expected
  } cases[] = {
      {nullptr, nullptr, -1, true, 8, 0, ERROR_INVALID_PARAMETER},
      {"ab", wideAb, 0, true, 8, 0, ERROR_INVALID_PARAMETER},
      {"ab", wideAb, -1, true, -1, 0, ERROR_INVALID_PARAMETER},
      {"ab", wideAb, -1, false, 8, 0, ERROR_INVALID_PARAMETER},
      {"ab", wideAb, -1, true, 2, 0, ERROR_INSUFFICIENT_BUFFER},
      {"ab", wideAb, -1, false, 0, 3, 0},  // the room needed, terminator included
      {"ab", wideAb, 2, true, 8, 2, 0},
      {"ab", wideAb, -1, true, 3, 3, 0}};
  for (const auto& c : cases) {
    OLECHAR wide[8] = {};
    char narrow[8] = {};
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, c.narrow, c.sourceCount, c.withRoom ? wide : nullptr,
                                  c.roomCount),
              c.result)
        << c.sourceCount << " " << c.roomCount;
    if (c.error) {
      EXPECT_EQ(GetLastError(), c.error) << c.sourceCount << " " << c.roomCount;
    }
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, c.wide, c.sourceCount, c.withRoom ? narrow : nullptr,
                                  c.roomCount, nullptr, nullptr),
              c.result)
        << c.sourceCount << " " << c.roomCount;
    if (c.error) {
      EXPECT_EQ(GetLastError(), c.error) << c.sourceCount << " " << c.roomCount;
    }
    if (c.result > 1 && c.withRoom) {
      EXPECT_EQ(std::string(narrow, 2), "ab");
      EXPECT_EQ(wide[1], 'b');
    }
  }
  // A character the code page lacks becomes the caller's default character, and says so.
  const OLECHAR foreign[] = {'x', 0x4E2D, 'y'};
  char out[4] = {};
  BOOL used = FALSE;
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, foreign, 3, out, 4, "*", &used), 3);
  EXPECT_EQ(std::string(out, 3), "x*y");
  EXPECT_TRUE(used);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, wideAb, 2, out, 4, "*", &used), 2);
  EXPECT_FALSE(used);
}
