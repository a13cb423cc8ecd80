// The BSTR block and the text conversion that every host and the component rely on.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <utility>

#include "platform/com_ptr.h"
#include "platform/text.h"

using swkv::AnsiText;
using swkv::UniqueBstr;

TEST(Bstr, BlockHasByteLengthPrefixAndTerminatorAndNullStringsAreEmpty) {
  const OLECHAR text[] = {'a', 'b', 'c', 0};
  UniqueBstr s(SysAllocString(text));
  ASSERT_TRUE(s);
  EXPECT_EQ(std::pair(SysStringLen(s.get()), SysStringByteLen(s.get())), std::pair(3u, 6u));
  std::uint32_t prefix;
  std::memcpy(&prefix, reinterpret_cast<const char*>(s.get()) - 4, 4);
  EXPECT_EQ(prefix, 6u);
  EXPECT_EQ(s.get()[3], 0);
  EXPECT_EQ(UniqueBstr(SysAllocString(text + 3)).size(), 0u);

  EXPECT_EQ(std::pair(SysStringLen(nullptr), SysStringByteLen(nullptr)), std::pair(0u, 0u));
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  SysFreeString(nullptr);
  UniqueBstr zeros(SysAllocStringLen(nullptr, 4));
  ASSERT_TRUE(zeros);
  for (int i = 0; i <= 4; ++i) EXPECT_EQ(zeros.get()[i], 0);
}

// Whole texts both ways: every byte, embedded zeros (part of a BSTR), and texts about and past
// the conversion's stack buffer of 256; a character of no single-byte code page (the euro
// sign, say, is in the Windows ones) becomes a question mark.
TEST(Text, WholeTextsRoundTripAndForeignCharactersBecomeQuestionMarks) {
  std::string all;
  for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
  for (const std::string& text : {all, std::string("a\0b", 3), std::string(256, 'q'),
                                  std::string(5000, 'q')}) {
    UniqueBstr wide = UniqueBstr::FromAnsi(text);
    ASSERT_EQ(wide.size(), text.size());
    EXPECT_EQ(AnsiText(wide.get()).view(), text) << text.size();
  }
  EXPECT_EQ(UniqueBstr::FromAnsi(all).get()[0xE9 - 1], 0xE9);
  const OLECHAR foreign[] = {'x', 0x4E2D, 'y'};
  EXPECT_EQ(AnsiText(foreign, 3).view(), "x?y");
}

// The conversions refuse what the system refuses, and report the room they need, with the
// system's numbers of ERROR_INVALID_PARAMETER and ERROR_INSUFFICIENT_BUFFER.
TEST(Text, ConversionsCheckTheirArgumentsAsTheSystemDoes) {
  constexpr DWORD kInvalid = 87, kNoRoom = 122;
  const OLECHAR wideAb[] = {'a', 'b', 0};
  const struct {
    bool null;  // no text to convert
    int sourceCount;
    bool withRoom;
    int roomCount;
    int result;
    DWORD error;  // 0: none expected
  } cases[] = {{true, -1, true, 8, 0, kInvalid},
               {false, 0, true, 8, 0, kInvalid},
               {false, -1, true, -1, 0, kInvalid},
#ifndef _WIN32  // Wine takes any negative count for -1
               {false, -2, true, 8, 0, kInvalid},
#endif
               {false, -1, false, 8, 0, kInvalid},
               {false, -1, true, 2, 0, kNoRoom},
               {false, -1, false, 0, 3, 0},  // the room needed, terminator included
               {false, 2, true, 8, 2, 0},
               {false, -1, true, 3, 3, 0}};
  for (const auto& c : cases) {
    OLECHAR wide[8] = {};
    char narrow[8] = {};
    SetLastError(0);
    const int widened = MultiByteToWideChar(CP_ACP, 0, c.null ? nullptr : "ab", c.sourceCount,
                                            c.withRoom ? wide : nullptr, c.roomCount);
    const DWORD widenError = c.error ? GetLastError() : 0;
    SetLastError(0);
    const int narrowed = WideCharToMultiByte(CP_ACP, 0, c.null ? nullptr : wideAb, c.sourceCount,
                                             c.withRoom ? narrow : nullptr, c.roomCount, nullptr,
                                             nullptr);
    EXPECT_EQ(std::tuple(widened, widenError, narrowed, c.error ? GetLastError() : 0),
              std::tuple(c.result, c.error, c.result, c.error))
        << c.sourceCount << " " << c.roomCount;
  }
  // An empty text is its terminator alone.
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "", -1, nullptr, 0), 1);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, wideAb + 2, -1, nullptr, 0, nullptr, nullptr), 1);
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
