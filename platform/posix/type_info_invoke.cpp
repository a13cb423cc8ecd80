// ITypeInfo::Invoke: places the dispatch arguments at their parameters, converts each to the
// parameter's type as the automation services do, and calls the member through the interface.
//
// Conversions: a by-value parameter takes an argument of its own type, the same type by
// reference, or VT_EMPTY; integers convert among the integer types (DISP_E_OVERFLOW when the
// value does not fit) and to and from decimal text; an interface parameter takes VT_UNKNOWN or
// VT_DISPATCH. A by-reference parameter takes exactly its own type by reference. Anything else is
// DISP_E_TYPEMISMATCH, with the argument's index in rgvarg stored in puArgErr.
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/type_info.h"

namespace swkv::posix {

namespace {

// The value of an integer argument (by value or by reference); empty when it is not one.
std::optional<long long> IntegerOf(const VARIANTARG& arg) {
  const bool byRef = arg.vt & VT_BYREF;
  if (byRef && !arg.byref) return std::nullopt;
  switch (arg.vt & ~VT_BYREF) {
    case VT_I1:
      return byRef ? *static_cast<const signed char*>(arg.byref)
                   : static_cast<signed char>(arg.cVal);
    case VT_UI1: return byRef ? *arg.pbVal : arg.bVal;
    case VT_I2: return byRef ? *arg.piVal : arg.iVal;
    case VT_UI2: return byRef ? *static_cast<const USHORT*>(arg.byref) : arg.uiVal;
    case VT_I4: return byRef ? *arg.plVal : arg.lVal;
    case VT_UI4: return byRef ? *arg.pulVal : arg.ulVal;
    case VT_INT: return byRef ? *arg.pintVal : arg.intVal;
    case VT_UINT: return byRef ? *arg.puintVal : arg.uintVal;
    case VT_I8: return byRef ? *static_cast<const LONGLONG*>(arg.byref) : arg.llVal;
    case VT_BOOL: return byRef ? *static_cast<const VARIANT_BOOL*>(arg.byref) : arg.boolVal;
    case VT_UI8: {
      ULONGLONG value = byRef ? *static_cast<const ULONGLONG*>(arg.byref) : arg.ullVal;
      if (value > static_cast<ULONGLONG>(std::numeric_limits<long long>::max()))
        return std::nullopt;
      return static_cast<long long>(value);
    }
    default: return std::nullopt;
  }
}

bool IsIntegerType(VARTYPE vt) {
  switch (vt) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4:
    case VT_INT: case VT_UINT: case VT_I8: case VT_UI8:
      return true;
    default:
      return false;
  }
}

// Stores value as an integer of type vt; false when it does not fit.
bool StoreInteger(long long value, VARTYPE vt, VARIANTARG& target) {
  auto fits = [value](long long low, long long high) { return value >= low && value <= high; };
  target.vt = vt;
  switch (vt) {
    case VT_I1: target.cVal = static_cast<CHAR>(value); return fits(-128, 127);
    case VT_UI1: target.bVal = static_cast<BYTE>(value); return fits(0, 0xFF);
    case VT_I2: target.iVal = static_cast<SHORT>(value); return fits(-32768, 32767);
    case VT_UI2: target.uiVal = static_cast<USHORT>(value); return fits(0, 0xFFFF);
    case VT_I4: case VT_INT:
      target.lVal = static_cast<LONG>(value);
      return fits(std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max());
    case VT_UI4: case VT_UINT:
      target.ulVal = static_cast<ULONG>(value);
      return fits(0, 0xFFFFFFFFll);
    case VT_I8: target.llVal = value; return true;
    case VT_UI8: target.ullVal = static_cast<ULONGLONG>(value); return value >= 0;
    default: return false;
  }
}

// Decimal text of a BSTR as an integer; empty when it is not a number.
std::optional<long long> ParseInteger(BSTR text) {
  std::string narrow;
  for (UINT i = 0; i < SysStringLen(text); ++i) {
    if (text[i] > 0x7F) return std::nullopt;
    narrow.push_back(static_cast<char>(text[i]));
  }
  const char* begin = narrow.c_str();
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(begin, &end, 10);
  while (end && (*end == ' ' || *end == '\t')) ++end;
  if (end == begin || !end || *end != '\0' || errno == ERANGE) return std::nullopt;
  return value;
}

// Texts made for by-value text parameters, freed after the call.
class Temporaries {
 public:
  Temporaries() = default;
  Temporaries(const Temporaries&) = delete;
  Temporaries& operator=(const Temporaries&) = delete;
  ~Temporaries() {
    for (BSTR text : m_texts) SysFreeString(text);
  }
  BSTR Text(long long value) {
    std::string digits = std::to_string(value);
    std::u16string wide(digits.begin(), digits.end());
    BSTR text = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (text) m_texts.push_back(text);
    return text;
  }

 private:
  std::vector<BSTR> m_texts;
};

HRESULT Convert(const VARIANTARG& arg, VARTYPE vt, VARIANTARG& target, Temporaries& temporaries) {
  VariantInit(&target);
  if (vt & VT_BYREF) {
    if (arg.vt != vt) return DISP_E_TYPEMISMATCH;
    target = arg;
    return S_OK;
  }
  if (arg.vt == VT_EMPTY) {
    target.vt = vt;  // zero, the empty text, or no interface
    return S_OK;
  }
  const VARTYPE given = static_cast<VARTYPE>(arg.vt & ~VT_BYREF);
  const bool byRef = arg.vt & VT_BYREF;
  if (byRef && !arg.byref) return E_INVALIDARG;
  if (vt == VT_BSTR) {
    if (given == VT_BSTR) {
      target.vt = VT_BSTR;
      target.bstrVal = byRef ? *arg.pbstrVal : arg.bstrVal;
      return S_OK;
    }
    std::optional<long long> value = IntegerOf(arg);
    if (!value || given == VT_BOOL) return DISP_E_TYPEMISMATCH;
    target.vt = VT_BSTR;
    target.bstrVal = temporaries.Text(*value);
    return target.bstrVal ? S_OK : E_OUTOFMEMORY;
  }
  if (IsIntegerType(vt)) {
    std::optional<long long> value =
        given == VT_BSTR ? ParseInteger(byRef ? *arg.pbstrVal : arg.bstrVal) : IntegerOf(arg);
    if (!value && given == VT_UI8) {
      // Beyond the signed range: only a parameter of its own type holds it.
      if (vt != VT_UI8) return DISP_E_OVERFLOW;
      target.vt = VT_UI8;
      target.ullVal = byRef ? *static_cast<const ULONGLONG*>(arg.byref) : arg.ullVal;
      return S_OK;
    }
    if (!value) return DISP_E_TYPEMISMATCH;
    return StoreInteger(*value, vt, target) ? S_OK : DISP_E_OVERFLOW;
  }
  if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
    if (given != VT_UNKNOWN && given != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
    if (vt == VT_DISPATCH && given != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
    target.vt = vt;
    target.punkVal = byRef ? *arg.ppunkVal : arg.punkVal;
    return S_OK;
  }
  // Other types are taken as they are, by value only.
  if (given != vt || byRef) return DISP_E_TYPEMISMATCH;
  target = arg;
  return S_OK;
}

}  // namespace

HRESULT TypeInfo::Invoke(PVOID pvInstance, MEMBERID memid, WORD wFlags, DISPPARAMS* params,
                         VARIANT* /*pVarResult: the members return only their status*/,
                         EXCEPINFO* pExcepInfo, UINT* puArgErr) {
  if (!pvInstance || !params) return E_INVALIDARG;
  if (params->cArgs && !params->rgvarg) return E_INVALIDARG;
  if (params->cNamedArgs > params->cArgs) return E_INVALIDARG;
  if (params->cNamedArgs && !params->rgdispidNamedArgs) return E_INVALIDARG;
  const FuncInfo* func = FindFunc(memid);
  if (!func || !(wFlags & DISPATCH_METHOD) || !func->call) return DISP_E_MEMBERNOTFOUND;
  const UINT count = static_cast<UINT>(func->params.size());
  if (params->cArgs != count) return DISP_E_BADPARAMCOUNT;

  try {
    // Where each parameter's argument is in rgvarg: named arguments first, each at the
    // parameter its id names; then the positional ones, the last parameter first.
    constexpr UINT kUnplaced = ~0u;
    std::vector<UINT> place(count, kUnplaced);
    for (UINT j = 0; j < params->cNamedArgs; ++j) {
      DISPID id = params->rgdispidNamedArgs[j];
      if (id < 0 || static_cast<UINT>(id) >= count || place[id] != kUnplaced) {
        if (puArgErr) *puArgErr = j;
        return DISP_E_PARAMNOTFOUND;
      }
      place[id] = j;
    }
    const UINT positional = params->cArgs - params->cNamedArgs;
    for (UINT i = 0; i < positional; ++i) {
      if (place[i] != kUnplaced) return DISP_E_PARAMNOTFOUND;
      place[i] = params->cArgs - 1 - i;
    }

    Temporaries temporaries;
    std::vector<VARIANTARG> converted(count);
    std::vector<VARIANTARG*> args(count);
    for (UINT i = 0; i < count; ++i) {
      HRESULT hr =
          Convert(params->rgvarg[place[i]], func->params[i].vt, converted[i], temporaries);
      if (FAILED(hr)) {
        if (puArgErr) *puArgErr = place[i];
        return hr;
      }
      args[i] = &converted[i];
    }

    // A failing member is reported the way the automation services report it: as an
    // exception whose status is the member's.
    HRESULT hr = func->call(pvInstance, args.data());
    if (FAILED(hr)) {
      if (pExcepInfo) {
        *pExcepInfo = EXCEPINFO{};
        pExcepInfo->scode = hr;
      }
      return DISP_E_EXCEPTION;
    }
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace swkv::posix
