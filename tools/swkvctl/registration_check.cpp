#include "tools/swkvctl/registration_check.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "mxaraid/interfaces.h"
#include "platform/com_ptr.h"
#include "platform/reg_key.h"

namespace swkv::ctl {

namespace {

// One value that registration writes. data: what it must hold; none when any text will do (what
// the system's type-library service writes there is its own business). A key that holds no
// value is named with kNoValue.
struct Expected {
  HKEY root;
  std::string key;
  const char* value;  // null: the key's default value
  std::optional<std::string> data;
};

constexpr const char* kNoValue = "\x01 no value";

std::string RootName(HKEY root) {
  return root == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CLASSES_ROOT\\";
}

// Empty when the value is there as the entry wants it; otherwise what is wrong.
std::string Check(const Expected& entry) {
  const std::string where = RootName(entry.root) + entry.key;
  UniqueHkey key;
  if (RegOpenKeyExA(entry.root, entry.key.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    return where + " does not exist";
  if (entry.value == kNoValue) return {};
  const std::string name = entry.value ? std::string("value ") + entry.value : "default value";
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key.get(), entry.value, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return where + " has no " + name;
  std::vector<char> data(size + 1, '\0');
  if (RegQueryValueExA(key.get(), entry.value, nullptr, &type,
                       reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
    return where + " has no " + name;
  if (entry.data && *entry.data != data.data())
    return where + " has " + name + " \"" + data.data() + "\", not \"" + *entry.data + "\"";
  return {};
}

// What the module's registration script writes (frame/mxaraid.rgs), the module's path in it.
void AddScriptEntries(const std::string& modulePath, std::vector<Expected>& out) {
  const std::string clsid = GuidText(CLSID_SwkvRAID);
  const std::string versioned = std::string(kProgId) + ".1";
  const std::string description = "swkv Class";
  const std::string classKey = "CLSID\\" + clsid;
  const std::string agentKey =
      "SOFTWARE\\Tessary Systems, Inc.\\Herald Agent\\IO_CLSID\\" + clsid;
  out.insert(out.end(), {
      {HKEY_CLASSES_ROOT, versioned, nullptr, description},
      {HKEY_CLASSES_ROOT, versioned + "\\CLSID", nullptr, clsid},
      {HKEY_CLASSES_ROOT, kProgId, nullptr, description},
      {HKEY_CLASSES_ROOT, std::string(kProgId) + "\\CLSID", nullptr, clsid},
      {HKEY_CLASSES_ROOT, std::string(kProgId) + "\\CurVer", nullptr, versioned},
      {HKEY_CLASSES_ROOT, classKey, nullptr, description},
      {HKEY_CLASSES_ROOT, classKey + "\\ProgID", nullptr, versioned},
      {HKEY_CLASSES_ROOT, classKey + "\\VersionIndependentProgID", nullptr, "SwkvRAID.swkvRAID"},
      {HKEY_CLASSES_ROOT, classKey + "\\Programmable", kNoValue, std::nullopt},
      {HKEY_CLASSES_ROOT, classKey + "\\InprocServer32", nullptr, modulePath},
      {HKEY_CLASSES_ROOT, classKey + "\\InprocServer32", "ThreadingModel", "Apartment"},
      {HKEY_LOCAL_MACHINE, agentKey, nullptr, "SWKV_RAID"},
      {HKEY_LOCAL_MACHINE, agentKey, "ProgID", versioned},
  });
}

// What registering the module's type library writes: the library's version, path, flags and
// help folder, and for each dispatch or automation interface its name, marshaler and library.
bool AddTypeLibraryEntries(const std::string& modulePath, std::vector<Expected>& out,
                           std::string& missing) {
  std::vector<OLECHAR> wide(modulePath.size() + 1);
  const int length = static_cast<int>(wide.size());
  ComPtr<ITypeLib> library;
  TLIBATTR* attr = nullptr;
  if (MultiByteToWideChar(CP_ACP, 0, modulePath.c_str(), length, wide.data(), length) != length ||
      FAILED(LoadTypeLibEx(wide.data(), REGKIND_NONE, library.put())) ||
      FAILED(library->GetLibAttr(&attr))) {
    missing = "the type library of " + modulePath + " cannot be read";
    return false;
  }
  const TLIBATTR lib = *attr;
  library->ReleaseTLibAttr(attr);
  char version[32], locale[16];
  std::snprintf(version, sizeof version, "%x.%x", lib.wMajorVerNum, lib.wMinorVerNum);
  std::snprintf(locale, sizeof locale, "%lx", static_cast<unsigned long>(lib.lcid));
  const std::string libid = GuidText(lib.guid);
  const std::string versionKey = "TypeLib\\" + libid + "\\" + version;
  const char* system = lib.syskind == SYS_WIN64 ? "win64" : lib.syskind == SYS_WIN32 ? "win32"
                                                                                     : "win16";
  out.insert(out.end(), {
      {HKEY_CLASSES_ROOT, versionKey, nullptr, std::nullopt},
      {HKEY_CLASSES_ROOT, versionKey + "\\" + locale + "\\" + system, nullptr, modulePath},
      {HKEY_CLASSES_ROOT, versionKey + "\\FLAGS", nullptr, std::nullopt},
      {HKEY_CLASSES_ROOT, versionKey + "\\HELPDIR", nullptr, std::nullopt},
  });
  for (UINT index = 0; index < library->GetTypeInfoCount(); ++index) {
    TYPEKIND kind{};
    ComPtr<ITypeInfo> info;
    TYPEATTR* type = nullptr;
    if (FAILED(library->GetTypeInfoType(index, &kind)) ||
        (kind != TKIND_DISPATCH && kind != TKIND_INTERFACE) ||
        FAILED(library->GetTypeInfo(index, info.put())) || FAILED(info->GetTypeAttr(&type)))
      continue;
    const std::string key = "Interface\\" + GuidText(type->guid);
    const bool automation = kind == TKIND_DISPATCH || (type->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
    info->ReleaseTypeAttr(type);
    if (!automation) continue;
    out.insert(out.end(), {
        {HKEY_CLASSES_ROOT, key, nullptr, std::nullopt},
        {HKEY_CLASSES_ROOT, key + "\\ProxyStubClsid", nullptr, std::nullopt},
        {HKEY_CLASSES_ROOT, key + "\\ProxyStubClsid32", nullptr, std::nullopt},
        {HKEY_CLASSES_ROOT, key + "\\TypeLib", nullptr, libid},
        {HKEY_CLASSES_ROOT, key + "\\TypeLib", "Version", std::nullopt},
    });
  }
  return true;
}

}  // namespace

bool RegistrationComplete(const Registration& registration, std::string& missing) {
  std::vector<Expected> expected;
  AddScriptEntries(registration.modulePath, expected);
  if (!AddTypeLibraryEntries(registration.modulePath, expected, missing)) return false;
  for (const Expected& entry : expected) {
    missing = Check(entry);
    if (!missing.empty()) return false;
  }
  return true;
}

}  // namespace swkv::ctl
