// Interface identifiers of the system interfaces, with their Windows values, and GUID text.
#include <cstdio>

#include "platform/posix/guid_text.h"
#include "platform/win.h"

namespace {
constexpr GUID Ole(DWORD data1) { return GUID{data1, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}; }
}  // namespace

extern "C" {
const IID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
const IID IID_IUnknown = Ole(0x00000000);
const IID IID_IClassFactory = Ole(0x00000001);
const IID IID_IDispatch = Ole(0x00020400);
const IID IID_ITypeInfo = Ole(0x00020401);
const IID IID_ITypeLib = Ole(0x00020402);
const IID IID_IEnumString = Ole(0x00000101);
const IID IID_IConnectionPoint = {0xB196B286, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
const IID IID_IConnectionPointContainer = {0xB196B284, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
const IID IID_IEnumConnections = {0xB196B287, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
const IID IID_IEnumConnectionPoints = {0xB196B285, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
}

namespace swkv::posix {

std::string GuidText(REFGUID guid) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                guid.Data1, guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2],
                guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}

}  // namespace swkv::posix

extern "C" int StringFromGUID2(REFGUID guid, LPOLESTR text, int capacity) {
  std::string narrow = swkv::posix::GuidText(guid);
  const int needed = static_cast<int>(narrow.size()) + 1;
  if (!text || capacity < needed) return 0;
  for (int i = 0; i < needed; ++i) text[i] = static_cast<unsigned char>(narrow.c_str()[i]);
  return needed;
}
