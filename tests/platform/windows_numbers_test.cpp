// The numbers the platform layer gives the system's names are the system's own: the name, then
// its number (or, for an interface, its id as registry keys and type libraries write it).
// Operators read the error numbers in messages, type libraries carry the variant and kind codes,
// and a vendor library built for the system passes them. On Windows the same table checks
// itself against the system's headers. Numbers that sessions already show are not listed: the
// registry's statuses, its string and binary types and its dispositions (the registry sessions,
// which run against the system's registry on Windows), the message queue's and timers' errors
// (the timer sessions), S_OK, S_FALSE and the statuses swkvctl names with their numbers (the
// console's transcripts), DISPID_UNKNOWN (the id of a name not known, in the dispatch
// sessions); nor are the text conversions' errors, which bstr_text_test.cpp checks by number on
// both.
#include <gtest/gtest.h>

#include <string>

#include "platform/win.h"

namespace {

#define SWKV_NUMBER(name, value) EXPECT_EQ(static_cast<long long>(name), value) << #name;
#define SWKV_ID(name, text)                                               \
  {                                                                       \
    OLECHAR wide[40] = {};                                                \
    EXPECT_EQ(StringFromGUID2(name, wide, 40), 39) << #name;              \
    EXPECT_EQ(std::string(wide, wide + 38), text) << #name;               \
  }

TEST(WindowsNumbers, EveryNameHasTheSystemsNumberAndEveryInterfaceItsId) {
  SWKV_NUMBER(TRUE, 1)
  SWKV_NUMBER(FALSE, 0)
  SWKV_NUMBER(MAX_PATH, 260)
  SWKV_NUMBER(CP_ACP, 0)
  SWKV_NUMBER(IDOK, 1)

  SWKV_NUMBER(VT_EMPTY, 0)
  SWKV_NUMBER(VT_I2, 2)
  SWKV_NUMBER(VT_I4, 3)
  SWKV_NUMBER(VT_R8, 5)
  SWKV_NUMBER(VT_BSTR, 8)
  SWKV_NUMBER(VT_DISPATCH, 9)
  SWKV_NUMBER(VT_BOOL, 11)
  SWKV_NUMBER(VT_VARIANT, 12)
  SWKV_NUMBER(VT_UNKNOWN, 13)
  SWKV_NUMBER(VT_I1, 16)
  SWKV_NUMBER(VT_UI1, 17)
  SWKV_NUMBER(VT_UI2, 18)
  SWKV_NUMBER(VT_UI4, 19)
  SWKV_NUMBER(VT_I8, 20)
  SWKV_NUMBER(VT_UI8, 21)
  SWKV_NUMBER(VT_INT, 22)
  SWKV_NUMBER(VT_UINT, 23)
  SWKV_NUMBER(VT_HRESULT, 25)
  SWKV_NUMBER(VT_PTR, 26)

  SWKV_NUMBER(TKIND_INTERFACE, 3)
  SWKV_NUMBER(TKIND_DISPATCH, 4)
  SWKV_NUMBER(TKIND_COCLASS, 5)

  SWKV_NUMBER(SYS_WIN32, 1)
  SWKV_NUMBER(SYS_WIN64, 3)

  SWKV_NUMBER(FUNC_PUREVIRTUAL, 1)
  SWKV_NUMBER(FUNC_DISPATCH, 4)

  SWKV_NUMBER(INVOKE_FUNC, 1)

  SWKV_NUMBER(CC_STDCALL, 4)

  SWKV_NUMBER(REGKIND_REGISTER, 1)
  SWKV_NUMBER(REGKIND_NONE, 2)

  SWKV_NUMBER(REG_NONE, 0)
  SWKV_NUMBER(REG_EXPAND_SZ, 2)
  SWKV_NUMBER(REG_DWORD, 4)
  SWKV_NUMBER(REG_MULTI_SZ, 7)
  SWKV_NUMBER(REG_QWORD, 11)

  SWKV_NUMBER(ERROR_NOT_ENOUGH_MEMORY, 8)
  SWKV_NUMBER(ERROR_BAD_FORMAT, 11)
  SWKV_NUMBER(ERROR_INVALID_DATA, 13)
  SWKV_NUMBER(ERROR_MOD_NOT_FOUND, 126)
  SWKV_NUMBER(ERROR_RESOURCE_DATA_NOT_FOUND, 1812)
  SWKV_NUMBER(ERROR_RESOURCE_TYPE_NOT_FOUND, 1813)
  SWKV_NUMBER(ERROR_RESOURCE_NAME_NOT_FOUND, 1814)

  SWKV_ID(GUID_NULL, "{00000000-0000-0000-0000-000000000000}")
  SWKV_ID(IID_IUnknown, "{00000000-0000-0000-C000-000000000046}")
  SWKV_ID(IID_IClassFactory, "{00000001-0000-0000-C000-000000000046}")
  SWKV_ID(IID_IDispatch, "{00020400-0000-0000-C000-000000000046}")
  SWKV_ID(IID_ITypeInfo, "{00020401-0000-0000-C000-000000000046}")
  SWKV_ID(IID_ITypeLib, "{00020402-0000-0000-C000-000000000046}")
  SWKV_ID(IID_IEnumString, "{00000101-0000-0000-C000-000000000046}")
  SWKV_ID(IID_IConnectionPoint, "{B196B286-BAB4-101A-B69C-00AA00341D07}")
  SWKV_ID(IID_IConnectionPointContainer, "{B196B284-BAB4-101A-B69C-00AA00341D07}")
  SWKV_ID(IID_IEnumConnections, "{B196B287-BAB4-101A-B69C-00AA00341D07}")
  SWKV_ID(IID_IEnumConnectionPoints, "{B196B285-BAB4-101A-B69C-00AA00341D07}")

  OLECHAR shortBuffer[38];
  EXPECT_EQ(StringFromGUID2(IID_IUnknown, shortBuffer, 38), 0) << "no room for the terminator";
}

}  // namespace
