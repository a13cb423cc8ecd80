// The numbers the platform layer gives the system's names are the system's own (the table is
// windows_numbers.txt). On Windows the same table checks itself against the system's headers.
#include <gtest/gtest.h>

#include <string>

#include "platform/win.h"

namespace {

TEST(WindowsNumbers, EveryNameHasTheSystemsNumberAndEveryInterfaceItsId) {
#define SWKV_NUMBER(name, value) EXPECT_EQ(static_cast<long long>(name), value) << #name;
#define SWKV_ID(name, text)                                               \
  {                                                                       \
    OLECHAR wide[40] = {};                                                \
    EXPECT_EQ(StringFromGUID2(name, wide, 40), 39) << #name;              \
    EXPECT_EQ(std::string(wide, wide + 38), text) << #name;               \
  }
#include "windows_numbers.inc"
#undef SWKV_NUMBER
#undef SWKV_ID
  OLECHAR shortBuffer[38];
  EXPECT_EQ(StringFromGUID2(IID_IUnknown, shortBuffer, 38), 0) << "no room for the terminator";
}

}  // namespace
