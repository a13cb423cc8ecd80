// The registered type library as the type-library services hand it to any client: found by id,
// version and locale, with the classes and interfaces of the IDL.
#include <gtest/gtest.h>

#include "tests/frame/component_host.h"
#include "tests/support/agent.h"
#include "tests/support/registry_sandbox.h"

namespace swkv::test {
namespace {

TEST(TypeLibrary, IsFoundByIdMajorVersionAndLocaleOnceRegistered) {
  RegistrySandbox sandbox;
  ComponentHost host;
  ComPtr<ITypeLib> library;
  EXPECT_EQ(LoadRegTypeLib(LIBID_MXARAIDLib, 1, 0, 0, library.put()), TYPE_E_LIBNOTREGISTERED);
  ASSERT_EQ(host.RegisterServer(), S_OK);
  EXPECT_EQ(LoadRegTypeLib(LIBID_MXARAIDLib, 1, 1, 0, library.put()), TYPE_E_LIBNOTREGISTERED);
  EXPECT_EQ(LoadRegTypeLib(LIBID_MXARAIDLib, 2, 0, 0, library.put()), TYPE_E_LIBNOTREGISTERED);
  ASSERT_EQ(LoadRegTypeLib(LIBID_MXARAIDLib, 1, 0, 0x0409, library.put()), S_OK)
      << "a locale of its own falls back to the neutral registration";

  TLIBATTR* attr = nullptr;
  ASSERT_EQ(library->GetLibAttr(&attr), S_OK);
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  library->ReleaseTLibAttr(attr);
  UniqueBstr name, help;
  ASSERT_EQ(library->GetDocumentation(-1, name.put(), help.put(), nullptr, nullptr), S_OK);
  EXPECT_EQ(Narrow(name.get()), "MXARAIDLib");
  EXPECT_EQ(Narrow(help.get()), "mxaRAID 1.0 Type Library");

  // Each class of the IDL with its help text and its default interface.
  const struct {
    const CLSID* clsid;
    const char* help;
    const IID* iid;
  } classes[] = {{&CLSID_SwkvRAID, "swkv Class", &IID_IRiver},
                 {&CLSID_EventLog, "EventLog Class", &IID_IEventLog},
                 {&CLSID_RAIDEvent, "RAIDEvent Class", &IID_IRAIDEvent}};
  for (const auto& expected : classes) {
    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(library->GetTypeInfoOfGuid(*expected.clsid, coclass.put()), S_OK) << expected.help;
    ASSERT_EQ(coclass->GetDocumentation(MEMBERID_NIL, nullptr, help.put(), nullptr, nullptr),
              S_OK);
    EXPECT_EQ(Narrow(help.get()), expected.help);
    TYPEATTR* classAttr = nullptr;
    ASSERT_EQ(coclass->GetTypeAttr(&classAttr), S_OK);
    EXPECT_EQ(classAttr->typekind, TKIND_COCLASS);
    EXPECT_EQ(classAttr->cImplTypes, 1) << expected.help;
    EXPECT_EQ(classAttr->cFuncs, 0) << expected.help;
    coclass->ReleaseTypeAttr(classAttr);
    HREFTYPE reference = 0;
    INT flags = 0;
    ASSERT_EQ(coclass->GetRefTypeOfImplType(0, &reference), S_OK);
    ASSERT_EQ(coclass->GetImplTypeFlags(0, &flags), S_OK);
    EXPECT_TRUE(flags & IMPLTYPEFLAG_FDEFAULT);
    ComPtr<ITypeInfo> iface;
    ASSERT_EQ(coclass->GetRefTypeInfo(reference, iface.put()), S_OK);
    TYPEATTR* typeAttr = nullptr;
    ASSERT_EQ(iface->GetTypeAttr(&typeAttr), S_OK);
    EXPECT_TRUE(IsEqualGUID(typeAttr->guid, *expected.iid)) << expected.help;
    EXPECT_EQ(typeAttr->cImplTypes, 1) << expected.help;
    // The dispatch side of a dual interface (how many functions it counts differs: Windows
    // counts those of IDispatch too).
    EXPECT_EQ(typeAttr->typekind, TKIND_DISPATCH) << expected.help;
    EXPECT_TRUE(typeAttr->wTypeFlags & TYPEFLAG_FDUAL) << expected.help;
    EXPECT_TRUE(typeAttr->wTypeFlags & TYPEFLAG_FDISPATCHABLE) << expected.help;
    iface->ReleaseTypeAttr(typeAttr);
  }
}

TEST(TypeLibrary, AFileThatIsNotThereCannotBeLoaded) {
  ComPtr<ITypeLib> library;
  const std::string missing = ComponentHost().path() + ".missing";
  std::basic_string<OLECHAR> wide(missing.begin(), missing.end());
  EXPECT_EQ(LoadTypeLib(wide.c_str(), library.put()), TYPE_E_CANTLOADLIBRARY);
  EXPECT_FALSE(library);
  EXPECT_EQ(RegisterTypeLib(nullptr, wide.data(), nullptr), E_INVALIDARG) << "no library";
}

}  // namespace
}  // namespace swkv::test
