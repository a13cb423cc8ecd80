// The dispatch side of IRiver and IEventLog, as a script host or a C++ client uses it: names to
// dispatch ids, and Invoke reaching the same operations as calls through the virtual table.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/text.h"
#include "tests/frame/component_host.h"
#include "tests/support/agent.h"
#include "tests/support/registry_sandbox.h"

namespace swkv::test {
namespace {

using ::testing::ElementsAre;
using OleString = std::basic_string<OLECHAR>;

OleString Ole(const char* text) {
  return OleString(text, text + std::char_traits<char>::length(text));
}

// A component registered in a private registry, with a root and its controller.
class RegisteredComponent : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(host.RegisterServer(), S_OK);
    root = host.CreateRoot();
    ASSERT_TRUE(root);
    controller = Cd(root.get(), "HBA1");
    ASSERT_TRUE(controller);
    log = controller.As<IEventLog>(IID_IEventLog);
    ASSERT_TRUE(log);
  }

  DISPID IdOf(IDispatch* target, const char* name) {
    OleString wide = Ole(name);
    LPOLESTR names[] = {wide.data()};
    DISPID id = -99;
    EXPECT_EQ(target->GetIDsOfNames(GUID_NULL, names, 1, 0, &id), S_OK) << name;
    return id;
  }

  RegistrySandbox sandbox;
  ComponentHost host;
  ComPtr<IRiver> root;
  ComPtr<IRiver> controller;
  ComPtr<IEventLog> log;
};

TEST(DispatchBeforeRegistration, IsRefusedWhileDirectCallsWorkAndWorksOnceRegistered) {
  RegistrySandbox sandbox;
  ComponentHost host;
  ComPtr<IRiver> root = host.CreateRoot();
  ASSERT_TRUE(root);
  UINT count = 0;
  EXPECT_EQ(root->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  ITypeInfo* info = reinterpret_cast<ITypeInfo*>(0x1);
  EXPECT_EQ(root->GetTypeInfo(0, 0, &info), TYPE_E_LIBNOTREGISTERED);
  EXPECT_EQ(info, nullptr);
  OleString get = Ole("get");
  LPOLESTR names[] = {get.data()};
  DISPID id = -99;
  EXPECT_EQ(root->GetIDsOfNames(GUID_NULL, names, 1, 0, &id), TYPE_E_LIBNOTREGISTERED);
  UniqueBstr name = UniqueBstr::FromAnsi("Type");
  UniqueBstr buffer = UniqueBstr::Buffer(64);
  BSTR value = buffer.get();
  EXPECT_EQ(CallByDispatch(root.get(), 2, {TextArg(name.get()), ByRef(&value)}),
            TYPE_E_LIBNOTREGISTERED);
  ComPtr<IEventLog> log = Cd(root.get(), "HBA1").As<IEventLog>(IID_IEventLog);
  ASSERT_TRUE(log);
  EXPECT_EQ(log->GetTypeInfo(0, 0, &info), TYPE_E_LIBNOTREGISTERED);
  EXPECT_EQ(Get(root.get(), "Type"), "TESSARY SwiftbayRAIDKv9");

  // A failed load keeps nothing: the next call loads the library registered meanwhile.
  ASSERT_EQ(host.RegisterServer(), S_OK);
  EXPECT_EQ(root->GetIDsOfNames(GUID_NULL, names, 1, 0, &id), S_OK);
  EXPECT_EQ(id, 2);
}

TEST_F(RegisteredComponent, NamesEveryMethodByItsDispatchId) {
  const char* riverNames[] = {"dir", "get", "set", "invoke", "refresh", "cd"};
  for (DISPID id = 1; id <= 6; ++id) EXPECT_EQ(IdOf(root.get(), riverNames[id - 1]), id);
  EXPECT_EQ(IdOf(root.get(), "get"), 2) << "asked a second time";
  EXPECT_EQ(IdOf(root.get(), "GET"), 2) << "the type information ignores case";
  const char* logNames[] = {"GetNewCount", "ReadEventLog", "ClearLog"};
  for (DISPID id = 1; id <= 3; ++id) EXPECT_EQ(IdOf(log.get(), logNames[id - 1]), id);

  // The first name that fails ends the call.
  OleString unknown = Ole("nosuch"), get = Ole("get");
  LPOLESTR names[] = {unknown.data(), get.data()};
  DISPID ids[] = {-99, -99};
  EXPECT_EQ(root->GetIDsOfNames(GUID_NULL, names, 2, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[1], -99);
  LPOLESTR riverName[] = {get.data()};
  EXPECT_EQ(log->GetIDsOfNames(GUID_NULL, riverName, 1, 0, ids), DISP_E_UNKNOWNNAME);
  // Names without room for their ids, or ids without names, are refused.
  EXPECT_EQ(root->GetIDsOfNames(GUID_NULL, riverName, 1, 0, nullptr), E_INVALIDARG);
  EXPECT_EQ(root->GetIDsOfNames(GUID_NULL, nullptr, 1, 0, ids), E_INVALIDARG);
}

TEST_F(RegisteredComponent, DescribesEachInterfaceAsTheTypeLibraryDoes) {
  ComPtr<ITypeInfo> info;
  ASSERT_EQ(root->GetTypeInfo(0, 0, info.put()), S_OK);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, IID_IRiver));
  EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL);
  info->ReleaseTypeAttr(attr);
  UniqueBstr name, help;
  ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, name.put(), help.put(), nullptr, nullptr), S_OK);
  EXPECT_EQ(Narrow(name.get()), "IRiver");
  EXPECT_EQ(Narrow(help.get()), "IRiver Interface");
  ASSERT_EQ(info->GetDocumentation(6, name.put(), help.put(), nullptr, nullptr), S_OK);
  EXPECT_EQ(Narrow(name.get()), "cd");
  EXPECT_EQ(Narrow(help.get()), "method cd");
  EXPECT_EQ(root->GetTypeInfo(1, 0, info.put()), DISP_E_BADINDEX);

  ASSERT_EQ(log->GetTypeInfo(0, 0, info.put()), S_OK);
  ASSERT_EQ(info->GetDocumentation(2, name.put(), help.put(), nullptr, nullptr), S_OK);
  EXPECT_EQ(Narrow(name.get()), "ReadEventLog");
  EXPECT_EQ(Narrow(help.get()), "method ReadEventLog");
}

// The IUnknown and IDispatch parts of a spy: counted references, no dispatch of its own.
template <class Interface>
class Spy : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  std::vector<std::string> calls;
  ULONG refs = 0;
};

// Records the calls that reach it through the type information's invocation.
class SpyRiver final : public Spy<IRiver> {
 public:
  HRESULT STDMETHODCALLTYPE dir(IUnknown** ppenum) override {
    calls.push_back("dir");
    AddRef();
    *ppenum = this;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get(BSTR name, BSTR* pValue) override {
    calls.push_back("get " + Narrow(name));
    CopyToBstrBuffer("spy value", *pValue);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE set(BSTR name, BSTR value, ULONG right) override {
    calls.push_back("set " + Narrow(name) + " " + Narrow(value) + " " + std::to_string(right));
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE invoke(BSTR name, BSTR arg) override {
    calls.push_back("invoke " + Narrow(name) + " " + Narrow(arg));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE refresh() override {
    calls.push_back("refresh");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE cd(BSTR name, IUnknown** ppriver) override {
    calls.push_back("cd " + Narrow(name));
    if (!ppriver) return E_POINTER;
    AddRef();
    *ppriver = this;
    return S_OK;
  }
};

class SpyEventLog final : public Spy<IEventLog> {
 public:
  HRESULT STDMETHODCALLTYPE GetNewCount(ULONG* pNewCount) override {
    calls.push_back("GetNewCount");
    *pNewCount = 7;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ReadEventLog(BSTR* pBuf, ULONG* pSize) override {
    calls.push_back("ReadEventLog");
    *pBuf = UniqueBstr::FromAnsi("8@0@3@name@text").release();
    sizePointer = pSize;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ClearLog() override {
    calls.push_back("ClearLog");
    return E_FAIL;
  }

  ULONG* sizePointer = nullptr;
};

// ITypeInfo::Invoke with the arguments given first first.
HRESULT InvokeOn(ITypeInfo* info, void* instance, DISPID id, std::vector<VARIANT> args,
                 EXCEPINFO* exception = nullptr) {
  std::reverse(args.begin(), args.end());
  DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
  return info->Invoke(instance, id, DISPATCH_METHOD, &params, nullptr, exception, nullptr);
}

TEST_F(RegisteredComponent, TypeInformationCallsEachMethodWithItsArguments) {
  ComPtr<ITypeInfo> riverInfo;
  ASSERT_EQ(root->GetTypeInfo(0, 0, riverInfo.put()), S_OK);
  SpyRiver spy;
  IRiver* instance = &spy;
  UniqueBstr name = UniqueBstr::FromAnsi("Status");
  UniqueBstr value = UniqueBstr::FromAnsi("on");
  UniqueBstr buffer = UniqueBstr::Buffer(32);
  BSTR agentBuffer = buffer.get();
  IUnknown* object = nullptr;

  EXPECT_EQ(InvokeOn(riverInfo.get(), instance, 1, {ByRef(&object)}), S_OK);
  EXPECT_EQ(object, static_cast<IUnknown*>(&spy));
  EXPECT_EQ(InvokeOn(riverInfo.get(), instance, 2, {TextArg(name.get()), ByRef(&agentBuffer)}),
            S_OK);
  EXPECT_EQ(Narrow(buffer.get()), "spy value");
  EXPECT_EQ(InvokeOn(riverInfo.get(), instance, 3,
                     {TextArg(name.get()), TextArg(value.get()), UlongArg(5)}),
            S_OK)
      << "a refusal (status 1) is a success to the caller of Invoke";
  VARIANT number;
  VariantInit(&number);
  number.vt = VT_I4;
  number.lVal = 42;
  EXPECT_EQ(InvokeOn(riverInfo.get(), instance, 3, {TextArg(name.get()), number, number}), S_OK)
      << "numbers convert to the parameters' types";
  EXPECT_EQ(InvokeOn(riverInfo.get(), instance, 4, {TextArg(name.get()), TextArg(value.get())}),
            S_OK);
  EXPECT_EQ(InvokeOn(riverInfo.get(), instance, 5, {}), S_OK);
  EXPECT_EQ(InvokeOn(riverInfo.get(), instance, 6, {TextArg(name.get()), ByRef(&object)}), S_OK);
  EXPECT_THAT(spy.calls, ElementsAre("dir", "get Status", "set Status on 5", "set Status 42 42",
                                     "invoke Status on", "refresh", "cd Status"));
  EXPECT_EQ(spy.refs, 2u) << "dir and cd each handed out one reference";

  ComPtr<ITypeInfo> logInfo;
  ASSERT_EQ(log->GetTypeInfo(0, 0, logInfo.put()), S_OK);
  SpyEventLog logSpy;
  IEventLog* logInstance = &logSpy;
  ULONG count = 0;
  EXPECT_EQ(InvokeOn(logInfo.get(), logInstance, 1, {ByRef(&count)}), S_OK);
  EXPECT_EQ(count, 7u);
  UniqueBstr record;
  ULONG size = 0;
  EXPECT_EQ(InvokeOn(logInfo.get(), logInstance, 2, {ByRef(record.put()), ByRef(&size)}), S_OK);
  EXPECT_EQ(Narrow(record.get()), "8@0@3@name@text");
  EXPECT_EQ(logSpy.sizePointer, &size);
  EXCEPINFO exception{};
  EXPECT_EQ(InvokeOn(logInfo.get(), logInstance, 3, {}, &exception), DISP_E_EXCEPTION);
  EXPECT_EQ(exception.scode, E_FAIL) << "a failing method is reported as an exception";
  EXPECT_THAT(logSpy.calls, ElementsAre("GetNewCount", "ReadEventLog", "ClearLog"));
}

TEST_F(RegisteredComponent, InvokeRefusesArgumentsTheMethodCannotTake) {
  UniqueBstr type = UniqueBstr::FromAnsi("Type");
  UniqueBstr buffer = UniqueBstr::Buffer(64);
  BSTR agentBuffer = buffer.get();
  EXPECT_EQ(CallByDispatch(root.get(), 2, {TextArg(type.get())}), DISP_E_BADPARAMCOUNT);
  UniqueBstr notANumber = UniqueBstr::FromAnsi("many");
  EXPECT_EQ(CallByDispatch(root.get(), 3,
                           {TextArg(type.get()), TextArg(type.get()), TextArg(notANumber.get())}),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(CallByDispatch(root.get(), 99, {}), DISP_E_MEMBERNOTFOUND);

  // A failing method: cd of an existing child without a place for it.
  UniqueBstr controllerName = UniqueBstr::FromAnsi("HBA1");
  EXCEPINFO exception{};
  EXPECT_EQ(CallByDispatch(root.get(), 6,
                           {TextArg(controllerName.get()), ByRef(static_cast<IUnknown**>(nullptr))},
                           &exception),
            DISP_E_EXCEPTION);
  EXPECT_EQ(exception.scode, E_POINTER);

  // Named arguments: the value buffer first, then the name.
  std::vector<VARIANT> args = {ByRef(&agentBuffer), TextArg(type.get())};
  DISPID named[] = {1, 0};
  DISPPARAMS params{args.data(), named, 2, 2};
  EXPECT_EQ(root->Invoke(2, GUID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(Narrow(buffer.get()), Get(root.get(), "Type"));
}

// A script variable: a VARIANT that a script engine passes by reference.
class ScriptVariable {
 public:
  ScriptVariable() { VariantInit(&m_value); }
  explicit ScriptVariable(const char* text) : ScriptVariable() {
    m_value.vt = VT_BSTR;
    m_value.bstrVal = UniqueBstr::FromAnsi(text).release();
  }
  ~ScriptVariable() { VariantClear(&m_value); }
  ScriptVariable(const ScriptVariable&) = delete;
  ScriptVariable& operator=(const ScriptVariable&) = delete;

  static ScriptVariable Buffer(UINT length) {
    ScriptVariable variable;
    variable.m_value.vt = VT_BSTR;
    variable.m_value.bstrVal = SysAllocStringLen(nullptr, length);
    return variable;
  }
  ScriptVariable(ScriptVariable&& other) noexcept : m_value(other.m_value) {
    VariantInit(&other.m_value);
  }

  VARIANT Ref() { return ByRef(&m_value); }
  VARIANT& value() { return m_value; }

 private:
  VARIANT m_value;
};

TEST_F(RegisteredComponent, ScriptReferencesReachTheSameOperations) {
  ScriptVariable name("Type");
  ScriptVariable buffer = ScriptVariable::Buffer(128);
  EXPECT_EQ(CallByDispatch(root.get(), 2, {name.Ref(), buffer.Ref()}), S_OK);
  ASSERT_EQ(buffer.value().vt, VT_BSTR);
  EXPECT_EQ(SysStringLen(buffer.value().bstrVal), 128u) << "the script's own buffer, filled in";
  EXPECT_EQ(Narrow(buffer.value().bstrVal), Get(root.get(), "Type"));
  ASSERT_EQ(name.value().vt, VT_BSTR);
  EXPECT_EQ(Narrow(name.value().bstrVal), "Type") << "an input stays as the script had it";

  // cd hands the child to the script as its dispatch interface, the same node as cd gives.
  ScriptVariable controllerName("HBA1");
  ScriptVariable child;
  EXPECT_EQ(CallByDispatch(root.get(), 6, {controllerName.Ref(), child.Ref()}), S_OK);
  ASSERT_EQ(child.value().vt, VT_DISPATCH);
  ComPtr<IRiver> asRiver = ComPtr<IDispatch>(child.value().pdispVal).As<IRiver>(IID_IRiver);
  EXPECT_EQ(static_cast<IUnknown*>(asRiver.get()),
            static_cast<IUnknown*>(controller.get()));
  ScriptVariable status("Status");
  ScriptVariable statusBuffer = ScriptVariable::Buffer(64);
  EXPECT_EQ(CallByDispatch(child.value().pdispVal, 2, {status.Ref(), statusBuffer.Ref()}), S_OK);
  EXPECT_EQ(Narrow(statusBuffer.value().bstrVal), Get(controller.get(), "Status"));

  // A name that is no child leaves the script's variable without an object, whatever it held.
  ScriptVariable noSuch("HBA9");
  EXPECT_EQ(CallByDispatch(root.get(), 6, {noSuch.Ref(), child.Ref()}), S_OK);
  EXPECT_EQ(child.value().vt, VT_DISPATCH);
  EXPECT_EQ(child.value().pdispVal, nullptr);
  ScriptVariable stale;
  stale.value().llVal = -1;  // empty, with the bytes of an earlier value left in it
  EXPECT_EQ(CallByDispatch(root.get(), 6, {noSuch.Ref(), stale.Ref()}), S_OK);
  EXPECT_EQ(stale.value().vt, VT_DISPATCH);
  EXPECT_EQ(stale.value().pdispVal, nullptr);

  // The dir enumerator has no dispatch interface: it stays what it is, and lists what dir does.
  ScriptVariable listing;
  EXPECT_EQ(CallByDispatch(root.get(), 1, {listing.Ref()}), S_OK);
  ASSERT_EQ(listing.value().vt, VT_UNKNOWN);
  ComPtr<IEnumString> entries =
      ComPtr<IUnknown>(listing.value().punkVal).As<IEnumString>(IID_IEnumString);
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->Reset(), S_OK);
  std::vector<std::string> listed;
  for (ULONG fetched = 0;;) {
    UniqueBstr element = UniqueBstr::Buffer(256);
    LPOLESTR place = element.get();
    if (entries->Next(1, &place, &fetched) != S_OK) break;
    listed.push_back(Narrow(element.get()));
  }
  EXPECT_EQ(listed, Dir(root.get()));

  // Numbers reach the script as signed integers; the event record as text.
  ULONG direct = 0;
  ASSERT_EQ(log->GetNewCount(&direct), S_OK);
  ScriptVariable count("leftover");
  EXPECT_EQ(CallByDispatch(log.get(), 1, {count.Ref()}), S_OK);
  ASSERT_EQ(count.value().vt, VT_I4);
  EXPECT_EQ(count.value().lVal, static_cast<LONG>(direct));
  if (direct > 0) {
    ScriptVariable record, size;
    EXPECT_EQ(CallByDispatch(log.get(), 2, {record.Ref(), size.Ref()}), S_OK);
    ASSERT_EQ(record.value().vt, VT_BSTR);
    const std::string text = Narrow(record.value().bstrVal);
    EXPECT_EQ(std::count(text.begin(), text.end(), '@'), 4) << text;
    EXPECT_EQ(size.value().vt, VT_I4);
    ASSERT_EQ(log->GetNewCount(&direct), S_OK);
    EXPECT_EQ(static_cast<LONG>(direct), count.value().lVal - 1);
  }

  // An action by reference, and set's number from a script variable.
  ScriptVariable action("SetReadThreshold"), argument("24");
  EXPECT_EQ(CallByDispatch(controller.get(), 4, {action.Ref(), argument.Ref()}), S_OK);
  EXPECT_EQ(Get(controller.get(), "ReadThreshold"), "24");
  ScriptVariable right;
  right.value().vt = VT_I2;
  right.value().iVal = 0;
  ScriptVariable handle("handle"), forged("1;1");
  const std::string before = Get(root.get(), "handle");
  EXPECT_EQ(CallByDispatch(root.get(), 3, {handle.Ref(), forged.Ref(), right.Ref()}), S_OK);
  EXPECT_EQ(Get(root.get(), "handle"), before) << "set refuses a read-only property";

  // The methods without arguments.
  EXPECT_EQ(CallByDispatch(root.get(), 5, {}), S_OK);
  EXPECT_EQ(CallByDispatch(log.get(), 3, {}), S_OK);
}

TEST_F(RegisteredComponent, ScriptReferencesOfAnotherTypeAreRefused) {
  ScriptVariable name("Type");
  ScriptVariable number;
  number.value().vt = VT_I4;
  number.value().lVal = 5;
  UINT argErr = 99;
  EXPECT_EQ(CallByDispatch(root.get(), 2, {name.Ref(), number.Ref()}, nullptr, &argErr),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 0u) << "the value buffer, last parameter, is rgvarg[0]";
  EXPECT_EQ(number.value().vt, VT_I4) << "an input of the wrong type is left alone";

  // A script variable that was never given a value becomes an empty text to fill.
  ScriptVariable empty;
  EXPECT_EQ(CallByDispatch(root.get(), 2, {name.Ref(), empty.Ref()}), S_OK);
  EXPECT_EQ(empty.value().vt, VT_BSTR);
  EXPECT_EQ(SysStringLen(empty.value().bstrVal), 0u);
}

}  // namespace
}  // namespace swkv::test
