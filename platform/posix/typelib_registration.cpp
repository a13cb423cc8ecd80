// RegisterTypeLib and UnRegisterTypeLib: the keys Windows writes for a type library and for the
// interfaces it describes, in our registry.
#include <cstdio>
#include <string>

#include "platform/com_ptr.h"
#include "platform/posix/guid_text.h"
#include "platform/posix/typelib_keys.h"
#include "platform/reg_key.h"

namespace swkv::posix {

namespace {

// The automation marshaler, which the interfaces of a registered library are marshalled by.
constexpr GUID kAutomationMarshaler = {
    0x00020424, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

bool SetText(const std::string& path, const char* valueName, const std::string& text) {
  UniqueHkey key;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    return false;
  return RegSetValueExA(key.get(), valueName, 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

std::string Narrow(BSTR text) {
  return text ? NarrowPath(std::u16string(text, SysStringLen(text)).c_str()) : std::string();
}

// The interfaces of the library that get an Interface key: dispatch interfaces, and
// interfaces marked for automation.
template <class Visit>
void ForEachAutomationInterface(ITypeLib* lib, Visit visit) {
  for (UINT index = 0; index < lib->GetTypeInfoCount(); ++index) {
    TYPEKIND kind{};
    if (FAILED(lib->GetTypeInfoType(index, &kind)) ||
        (kind != TKIND_DISPATCH && kind != TKIND_INTERFACE))
      continue;
    ComPtr<ITypeInfo> info;
    if (FAILED(lib->GetTypeInfo(index, info.put()))) continue;
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) continue;
    const GUID iid = attr->guid;
    const bool automation = kind == TKIND_DISPATCH || (attr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
    info->ReleaseTypeAttr(attr);
    if (!automation) continue;
    UniqueBstr name;
    info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr);
    visit(iid, Narrow(name.get()));
  }
}

bool HasSubkeys(const std::string& path) { return !SubkeyNames(path).empty(); }

}  // namespace

}  // namespace swkv::posix

extern "C" {

HRESULT RegisterTypeLib(ITypeLib* lib, LPCOLESTR fullPath, LPCOLESTR helpDir) {
  using namespace swkv::posix;
  using swkv::UniqueBstr;
  if (!lib || !fullPath) return E_INVALIDARG;
  TLIBATTR* attr = nullptr;
  if (HRESULT hr = lib->GetLibAttr(&attr); FAILED(hr)) return hr;
  const TLIBATTR libAttr = *attr;
  lib->ReleaseTLibAttr(attr);
  UniqueBstr name, doc;
  lib->GetDocumentation(-1, name.put(), doc.put(), nullptr, nullptr);

  const std::string path = NarrowPath(fullPath);
  std::string helpDirectory = NarrowPath(helpDir);
  if (!helpDir) helpDirectory = path.substr(0, path.find_last_of('/') + 1);
  const std::string version = VersionKeyName(libAttr.wMajorVerNum, libAttr.wMinorVerNum);
  const std::string versionKey = TypeLibKey(libAttr.guid) + "\\" + version;
  char flags[16];
  std::snprintf(flags, sizeof flags, "%u", libAttr.wLibFlags);

  bool ok = SetText(versionKey, nullptr, doc ? Narrow(doc.get()) : Narrow(name.get())) &&
            SetText(versionKey + "\\" + LocaleKeyName(libAttr.lcid) + "\\" +
                        SystemKeyName(libAttr.syskind),
                    nullptr, path) &&
            SetText(versionKey + "\\FLAGS", nullptr, flags) &&
            SetText(versionKey + "\\HELPDIR", nullptr, helpDirectory);
  const std::string libid = GuidText(libAttr.guid);
  ForEachAutomationInterface(lib, [&](const GUID& iid, const std::string& interfaceName) {
    const std::string key = "Interface\\" + GuidText(iid);
    const std::string marshaler = GuidText(kAutomationMarshaler);
    ok = ok && SetText(key, nullptr, interfaceName) &&
         SetText(key + "\\ProxyStubClsid", nullptr, marshaler) &&
         SetText(key + "\\ProxyStubClsid32", nullptr, marshaler) &&
         SetText(key + "\\TypeLib", nullptr, libid) &&
         SetText(key + "\\TypeLib", "Version", version);
  });
  return ok ? S_OK : TYPE_E_REGISTRYACCESS;
}

HRESULT UnRegisterTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, SYSKIND syskind) {
  using namespace swkv::posix;
  const std::string libraryKey = TypeLibKey(libid);
  const std::string versionKey = libraryKey + "\\" + VersionKeyName(major, minor);
  const std::string localeKey = versionKey + "\\" + LocaleKeyName(lcid);
  const std::string systemKey = localeKey + "\\" + SystemKeyName(syskind);
  std::optional<std::string> path = ReadDefaultValue(systemKey);
  if (!path) return TYPE_E_REGISTRYACCESS;

  // The interfaces' keys, as far as the library can still be read and they still name it.
  swkv::ComPtr<ITypeLib> lib;
  std::u16string widePath = WidenPath(*path);
  if (SUCCEEDED(LoadTypeLibEx(widePath.c_str(), REGKIND_NONE, lib.put()))) {
    const std::string libidText = GuidText(libid);
    ForEachAutomationInterface(lib.get(), [&](const GUID& iid, const std::string&) {
      const std::string key = "Interface\\" + GuidText(iid);
      if (ReadDefaultValue(key + "\\TypeLib") == libidText)
        RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str());
    });
  }

  RegDeleteTreeA(HKEY_CLASSES_ROOT, systemKey.c_str());
  if (!HasSubkeys(localeKey)) RegDeleteKeyA(HKEY_CLASSES_ROOT, localeKey.c_str());
  // The version goes when no locale is left in it: only FLAGS and HELPDIR remain.
  bool localesLeft = false;
  for (const std::string& name : SubkeyNames(versionKey))
    if (name != "FLAGS" && name != "HELPDIR") localesLeft = true;
  if (!localesLeft) RegDeleteTreeA(HKEY_CLASSES_ROOT, versionKey.c_str());
  if (!HasSubkeys(libraryKey)) RegDeleteKeyA(HKEY_CLASSES_ROOT, libraryKey.c_str());
  return S_OK;
}

}  // extern "C"
