// Loading type libraries: the libraries that loaded modules carry, found by module file, and the
// registered ones, found by library id through the registry.
#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdio>
#include <mutex>
#include <new>
#include <vector>

#include "platform/posix/guid_text.h"
#include "platform/posix/type_library.h"
#include "platform/posix/typelib_keys.h"
#include "platform/reg_key.h"

namespace swkv::posix {

namespace {

// A module's library description and the file the module was loaded from.
struct Resource {
  const SWKV_TLIB* library;
  dev_t device;
  ino_t inode;
};

// Registrations arrive from module constructors, under the dynamic loader's lock: nothing here
// calls the loader while holding this lock.
std::mutex g_resourcesLock;

std::vector<Resource>& Resources() {
  // Never destroyed: modules may unregister while the process exits.
  static auto* resources = new std::vector<Resource>;
  return *resources;
}

// A copy of the library carried by the module file with that identity; null when none is
// registered. Throws std::bad_alloc.
TypeLibrary* CopyRegistered(const struct stat& file) {
  std::lock_guard lock(g_resourcesLock);
  for (const Resource& resource : Resources())
    if (resource.device == file.st_dev && resource.inode == file.st_ino)
      return new TypeLibrary(*resource.library);
  return nullptr;
}

}  // namespace

std::string TypeLibKey(REFGUID libid) { return "TypeLib\\" + GuidText(libid); }

std::string VersionKeyName(WORD major, WORD minor) {
  char text[16];
  std::snprintf(text, sizeof text, "%x.%x", major, minor);
  return text;
}

std::string LocaleKeyName(LCID lcid) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", lcid);
  return text;
}

const char* SystemKeyName(SYSKIND syskind) {
  switch (syskind) {
    case SYS_WIN64: return "win64";
    case SYS_WIN32: return "win32";
    default: return "win16";
  }
}

std::optional<std::string> ReadDefaultValue(const std::string& path) {
  UniqueHkey key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) !=
      ERROR_SUCCESS)
    return std::nullopt;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return std::nullopt;
  std::string value(size, '\0');
  if (RegQueryValueExA(key.get(), nullptr, nullptr, nullptr,
                       reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS)
    return std::nullopt;
  value.resize(size);
  while (!value.empty() && value.back() == '\0') value.pop_back();
  return value;
}

std::vector<std::string> SubkeyNames(const std::string& path) {
  std::vector<std::string> names;
  UniqueHkey key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, key.put()) !=
      ERROR_SUCCESS)
    return names;
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.emplace_back(name, length);
  }
  return names;
}

std::string NarrowPath(LPCOLESTR path) {
  std::string narrow;
  if (path)
    for (const OLECHAR* p = path; *p; ++p)
      narrow.push_back(static_cast<char>(*p <= 0xFF ? *p : '?'));
  return narrow;
}

std::u16string WidenPath(const std::string& path) {
  std::u16string wide;
  for (char c : path) wide.push_back(static_cast<unsigned char>(c));
  return wide;
}

}  // namespace swkv::posix

using swkv::posix::TypeLibrary;

extern "C" {

BOOL SwkvRegisterTypeLibResource(const SWKV_TLIB* library) {
  Dl_info info{};
  struct stat file {};
  if (!library || !dladdr(library, &info) || !info.dli_fname ||
      stat(info.dli_fname, &file) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  try {
    std::lock_guard lock(swkv::posix::g_resourcesLock);
    swkv::posix::Resources().push_back({library, file.st_dev, file.st_ino});
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  return TRUE;
}

void SwkvUnregisterTypeLibResource(const SWKV_TLIB* library) {
  std::lock_guard lock(swkv::posix::g_resourcesLock);
  auto& resources = swkv::posix::Resources();
  std::erase_if(resources, [library](const auto& resource) { return resource.library == library; });
}

HRESULT LoadTypeLibEx(LPCOLESTR file, REGKIND kind, ITypeLib** lib) {
  if (!file || !lib) return E_INVALIDARG;
  *lib = nullptr;
  const std::string path = swkv::posix::NarrowPath(file);
  struct stat identity {};
  if (stat(path.c_str(), &identity) != 0) return TYPE_E_CANTLOADLIBRARY;
  TypeLibrary* library = nullptr;
  try {
    library = swkv::posix::CopyRegistered(identity);
    if (!library) {
      // A module that is not loaded yet registers its library while it loads, as Windows reads
      // the resource of a module file that no process has loaded.
      void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (!module) return TYPE_E_CANTLOADLIBRARY;
      try {
        library = swkv::posix::CopyRegistered(identity);
      } catch (...) {
        dlclose(module);
        throw;
      }
      dlclose(module);
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  if (!library) return TYPE_E_CANTLOADLIBRARY;
  if (kind == REGKIND_REGISTER) {
    if (HRESULT hr = RegisterTypeLib(library, file, nullptr); FAILED(hr)) {
      library->Release();
      return hr;
    }
  }
  *lib = library;
  return S_OK;
}

HRESULT LoadTypeLib(LPCOLESTR file, ITypeLib** lib) {
  // Given a full path, Windows loads without registering; every POSIX path we take is one.
  return LoadTypeLibEx(file, REGKIND_NONE, lib);
}

HRESULT LoadRegTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, ITypeLib** lib) {
  using namespace swkv::posix;
  if (!lib) return E_INVALIDARG;
  *lib = nullptr;
  const std::string libraryKey = TypeLibKey(libid);
  // The highest minor version of the same major version, at or above the one asked for.
  std::string version;
  long best = -1;
  for (const std::string& name : SubkeyNames(libraryKey)) {
    unsigned int foundMajor = 0, foundMinor = 0;
    char rest = 0;
    if (std::sscanf(name.c_str(), "%x.%x%c", &foundMajor, &foundMinor, &rest) != 2) continue;
    if (foundMajor != major || foundMinor < minor || static_cast<long>(foundMinor) <= best)
      continue;
    best = foundMinor;
    version = name;
  }
  if (best < 0) return TYPE_E_LIBNOTREGISTERED;
  const LCID locales[] = {lcid, lcid & 0x3FF, 0};
  for (LCID locale : locales) {
    for (SYSKIND system : {SYS_WIN64, SYS_WIN32}) {
      std::optional<std::string> path = ReadDefaultValue(libraryKey + "\\" + version + "\\" +
                                                         LocaleKeyName(locale) + "\\" +
                                                         SystemKeyName(system));
      if (path && !path->empty()) {
        std::u16string widePath = WidenPath(*path);
        return LoadTypeLibEx(widePath.c_str(), REGKIND_NONE, lib);
      }
    }
  }
  return TYPE_E_LIBNOTREGISTERED;
}

}  // extern "C"
