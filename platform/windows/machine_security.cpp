#include <windows.h>
#include <sddl.h>

#include "platform/named_mutex.h"

namespace swkv {

namespace {

// Built once and kept for the life of the process.
struct MachineWideSecurity {
  SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
  PSECURITY_DESCRIPTOR descriptor = nullptr;

  MachineWideSecurity() {
    // Generic all for local system and the built-in administrators; nobody else may hold it, so
    // an ordinary user cannot keep the stores waiting.
    if (ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;GA;;;SY)(A;;GA;;;BA)",
                                                             SDDL_REVISION_1, &descriptor,
                                                             nullptr))
      attributes.lpSecurityDescriptor = descriptor;
  }
  ~MachineWideSecurity() {
    if (descriptor) LocalFree(descriptor);
  }
  MachineWideSecurity(const MachineWideSecurity&) = delete;
  MachineWideSecurity& operator=(const MachineWideSecurity&) = delete;
};

}  // namespace

LPSECURITY_ATTRIBUTES MachineWideObjectSecurity() {
  static MachineWideSecurity security;
  return security.descriptor ? &security.attributes : nullptr;
}

}  // namespace swkv
