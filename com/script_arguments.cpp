#include "com/script_arguments.h"

#include <cstdint>
#include <new>

#include "mxaraid/interfaces.h"

namespace swkv {

namespace {

constexpr VARTYPE kVariantReference = VT_VARIANT | VT_BYREF;

struct ParamType {
  VARTYPE vt = VT_EMPTY;  // the type, with VT_BYREF for a pointer parameter
  USHORT flags = 0;       // PARAMFLAG_FIN, PARAMFLAG_FOUT
};

bool HasVariantReferences(const DISPPARAMS* params) {
  if (!params || !params->rgvarg) return false;
  for (UINT i = 0; i < params->cArgs; ++i)
    if (params->rgvarg[i].vt == kVariantReference) return true;
  return false;
}

// The parameter types of the method id; false when info has no such method.
bool ParameterTypes(ITypeInfo* info, MEMBERID id, std::vector<ParamType>& types) {
  TYPEATTR* attr = nullptr;
  if (FAILED(info->GetTypeAttr(&attr))) return false;
  const UINT funcs = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  for (UINT index = 0; index < funcs; ++index) {
    FUNCDESC* desc = nullptr;
    if (FAILED(info->GetFuncDesc(index, &desc))) return false;
    const bool found = desc->memid == id && desc->invkind == INVOKE_FUNC;
    if (found) {
      types.resize(desc->cParams > 0 ? static_cast<std::size_t>(desc->cParams) : 0);
      for (std::size_t p = 0; p < types.size(); ++p) {
        const ELEMDESC& param = desc->lprgelemdescParam[p];
        types[p].flags = param.paramdesc.wParamFlags;
        if (param.tdesc.vt == VT_PTR && param.tdesc.lptdesc)
          types[p].vt = static_cast<VARTYPE>(param.tdesc.lptdesc->vt | VT_BYREF);
        else
          types[p].vt = param.tdesc.vt;
      }
    }
    info->ReleaseFuncDesc(desc);
    if (found) return true;
  }
  return false;
}

// The types a script's variant can be given to stand behind a by-reference parameter.
bool CanHold(VARTYPE vt) {
  switch (vt) {
    case VT_BSTR: case VT_UNKNOWN: case VT_DISPATCH: case VT_BOOL:
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4:
    case VT_INT: case VT_UINT: case VT_I8: case VT_UI8:
      return true;
    default:
      return false;
  }
}

// The variant a reference finally refers to (a script may pass a reference it was given).
VARIANT* Referenced(const VARIANTARG& arg) {
  VARIANT* target = arg.pvarVal;
  for (int depth = 0; target && target->vt == kVariantReference && depth < 8; ++depth)
    target = target->pvarVal;
  return target && target->vt != kVariantReference ? target : nullptr;
}

// Gives the script's variant the type of a by-reference parameter: emptied for an output
// only, kept for an input of that type, an empty value of that type for VT_EMPTY.
bool MakeReferenceTarget(VARIANT& variant, VARTYPE type, USHORT flags) {
  const bool outputOnly = (flags & PARAMFLAG_FOUT) && !(flags & PARAMFLAG_FIN);
  if (outputOnly || variant.vt == VT_EMPTY) {
    VariantClear(&variant);  // frees what the variant held, leaves the value's bytes as they were
    variant.llVal = 0;
    variant.vt = type;  // zero, the null (empty) text, or no interface
    return true;
  }
  return variant.vt == type;
}

}  // namespace

HRESULT ScriptArguments::Prepare(ITypeInfo* info, MEMBERID id, DISPPARAMS* params,
                                 UINT* argErr) {
  m_original = params;
  if (!info || !HasVariantReferences(params)) return S_OK;
  try {
    std::vector<ParamType> types;
    if (!ParameterTypes(info, id, types) || types.size() != params->cArgs) return S_OK;
    if (params->cNamedArgs > params->cArgs ||
        (params->cNamedArgs && !params->rgdispidNamedArgs))
      return S_OK;

    // The parameter each argument stands for: named ones by their ids, the positional ones
    // last first.
    std::vector<const ParamType*> typeOf(params->cArgs, nullptr);
    for (UINT j = 0; j < params->cNamedArgs; ++j) {
      const DISPID param = params->rgdispidNamedArgs[j];
      if (param < 0 || static_cast<std::size_t>(param) >= types.size()) return S_OK;
      typeOf[j] = &types[static_cast<std::size_t>(param)];
    }
    const UINT positional = params->cArgs - params->cNamedArgs;
    for (UINT k = 0; k < positional; ++k) typeOf[params->cArgs - 1 - k] = &types[k];

    m_args.assign(params->rgvarg, params->rgvarg + params->cArgs);
    for (UINT j = 0; j < params->cArgs; ++j) {
      VARIANTARG& arg = m_args[j];
      if (arg.vt != kVariantReference) continue;
      auto mismatch = [&] {
        if (argErr) *argErr = j;
        m_outputs.clear();
        return DISP_E_TYPEMISMATCH;
      };
      VARIANT* variant = Referenced(arg);
      if (!variant) return mismatch();
      const ParamType& type = *typeOf[j];
      if (!(type.vt & VT_BYREF)) {
        // A by-value parameter: the value as the script holds it, converted by the type
        // information as any value is.
        arg = *variant;
        continue;
      }
      if (variant->vt == type.vt) {
        arg = *variant;  // the script holds a reference of the parameter's own type
        continue;
      }
      const auto base = static_cast<VARTYPE>(type.vt & ~VT_BYREF);
      if (!CanHold(base) || !MakeReferenceTarget(*variant, base, type.flags)) return mismatch();
      VariantInit(&arg);
      arg.vt = type.vt;
      arg.byref = &variant->llVal;  // every member of the value union starts here
      m_outputs.push_back({variant});
    }
    m_params = *params;
    m_params.rgvarg = m_args.data();
    m_replaced = true;
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

void ScriptArguments::Finish() {
  for (const Output& output : m_outputs) {
    VARIANT& variant = *output.variant;
    switch (variant.vt) {
      case VT_UNKNOWN: {
        // A script calls interfaces through IDispatch only: a node goes to it as its IRiver, a
        // dual interface (the controller node answers no IDispatch of its own), anything else
        // as its IDispatch when it has one. No interface at all is the script's Nothing.
        IUnknown* object = variant.punkVal;
        IDispatch* dispatch = nullptr;
        if (object &&
            FAILED(object->QueryInterface(IID_IRiver, reinterpret_cast<void**>(&dispatch))) &&
            FAILED(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
          break;
        if (object) object->Release();
        variant.vt = VT_DISPATCH;
        variant.pdispVal = dispatch;
        break;
      }
      case VT_UI4:
      case VT_UINT:
        if (variant.ulVal <= static_cast<ULONG>(INT32_MAX)) {
          const auto value = static_cast<LONG>(variant.ulVal);
          variant.vt = VT_I4;
          variant.lVal = value;
        } else {
          const double value = variant.ulVal;
          variant.vt = VT_R8;
          variant.dblVal = value;
        }
        break;
      default:
        break;
    }
  }
  m_outputs.clear();
}

}  // namespace swkv
