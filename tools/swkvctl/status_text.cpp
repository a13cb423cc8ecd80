#include "tools/swkvctl/status_text.h"

#include <cstdint>
#include <cstdio>

namespace swkv::ctl {

namespace {

struct Named {
  std::uint32_t value;
  const char* name;
};

// The statuses the component's interfaces and entry points return, and those of the system calls
// swkvctl makes on the way to them.
constexpr Named kNames[] = {
    {0x00000000u, "S_OK"},
    {0x00000001u, "S_FALSE"},
    {0x80004001u, "E_NOTIMPL"},
    {0x80004002u, "E_NOINTERFACE"},
    {0x80004003u, "E_POINTER"},
    {0x80004004u, "E_ABORT"},
    {0x80004005u, "E_FAIL"},
    {0x8000FFFFu, "E_UNEXPECTED"},
    {0x80070005u, "E_ACCESSDENIED"},
    {0x8007000Eu, "E_OUTOFMEMORY"},
    {0x80070057u, "E_INVALIDARG"},
    {0x80040110u, "CLASS_E_NOAGGREGATION"},
    {0x80040111u, "CLASS_E_CLASSNOTAVAILABLE"},
    {0x80040154u, "REGDB_E_CLASSNOTREG"},
    {0x80040150u, "REGDB_E_READREGDB"},
    {0x80040151u, "REGDB_E_WRITEREGDB"},
    {0x80040200u, "CONNECT_E_NOCONNECTION"},
    {0x80040201u, "CONNECT_E_ADVISELIMIT"},
    {0x80040202u, "CONNECT_E_CANNOTCONNECT"},
    {0x8002801Du, "TYPE_E_LIBNOTREGISTERED"},
    {0x8002801Cu, "TYPE_E_REGISTRYACCESS"},
    {0x80029C4Au, "TYPE_E_CANTLOADLIBRARY"},
    {0x80070002u, "HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)"},
    {0x800703F1u, "HRESULT_FROM_WIN32(ERROR_BADDB)"},
    {0x800703F4u, "HRESULT_FROM_WIN32(ERROR_CANTREAD)"},
    {0x800703F5u, "HRESULT_FROM_WIN32(ERROR_CANTWRITE)"},
};

}  // namespace

const char* StatusName(HRESULT status) {
  const auto value = static_cast<std::uint32_t>(status);
  for (const Named& named : kNames)
    if (named.value == value) return named.name;
  return "status";
}

std::string StatusText(HRESULT status) {
  char number[16];
  const auto value = static_cast<unsigned>(status);
  std::snprintf(number, sizeof number, "0x%08X", value);
  std::string name = StatusName(status);
  // A system error code carried in a status word.
  if (name == "status" && (value & 0xFFFF0000u) == 0x80070000u)
    name = "HRESULT_FROM_WIN32(error " + std::to_string(value & 0xFFFFu) + ")";
  return name + " (" + number + ")";
}

}  // namespace swkv::ctl
