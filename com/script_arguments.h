// Arguments as script engines pass them to IDispatch::Invoke. A script engine passes every
// variable as a reference to the script's own VARIANT (VT_VARIANT|VT_BYREF), whatever the
// parameter's type, and can use an interface it gets back only as VT_DISPATCH. The type
// information's invocation takes a by-reference parameter only as a reference of its own type,
// so such arguments are unwrapped first: a by-value parameter gets the referenced value, a
// by-reference parameter a reference into the script's VARIANT, which is given the parameter's
// type first. After the call an interface stored there is handed to the script as VT_DISPATCH
// (a node's IRiver, or the object's IDispatch), and an unsigned number as a signed one (the only
// integers script engines compute with).
//
// Arguments of any other type are passed on exactly as the caller gave them, so C++ clients
// that pass references of the parameters' own types see no difference.
#pragma once

#include <vector>

#include "platform/win.h"

namespace swkv {

class ScriptArguments {
 public:
  ScriptArguments() = default;
  ScriptArguments(const ScriptArguments&) = delete;
  ScriptArguments& operator=(const ScriptArguments&) = delete;

  // Looks at params for references to variants and, when there are any, prepares the arguments
  // to pass in their place, using the parameter types of the method id in info. A variant whose
  // value cannot be given the type of its by-reference parameter is DISP_E_TYPEMISMATCH, with
  // the argument's index in rgvarg stored in argErr. Argument counts and placements that do not
  // fit the method are left for the type information to report.
  HRESULT Prepare(ITypeInfo* info, MEMBERID id, DISPPARAMS* params, UINT* argErr);

  // The arguments to pass on: the prepared ones, or params itself when nothing was replaced.
  DISPPARAMS* params() { return m_replaced ? &m_params : m_original; }

  // After the call: interfaces and unsigned numbers the method stored into the script's
  // variants become what a script can use.
  void Finish();

 private:
  struct Output {
    VARIANT* variant;
  };

  DISPPARAMS* m_original = nullptr;
  DISPPARAMS m_params{};
  std::vector<VARIANTARG> m_args;
  std::vector<Output> m_outputs;
  bool m_replaced = false;
};

}  // namespace swkv
