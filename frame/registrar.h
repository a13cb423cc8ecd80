// CRegistrar: runs the component's registration scripts against the registry, both ways.
//
// A script names keys and values as a tree:
//
//   HKCR
//   {
//     NoRemove CLSID
//     {
//       ForceRemove {class id} = s 'description'
//       {
//         InprocServer32 = s '%MODULE%'
//         {
//           val ThreadingModel = s 'Apartment'
//         }
//       }
//     }
//   }
//
// Tokens are separated by white space. A text in single quotes may hold spaces ('' stands for a
// quote) and is never taken as a keyword; "//" outside quotes starts a comment that runs to the
// end of the line. The roots are HKCR, HKLM and HKCU (or their HKEY_ names). A key's default
// value and the values named after "val" are typed s (text) or d (32-bit number, decimal or
// 0x-hexadecimal). In names and values, %NAME% stands for the replacement given for NAME and %%
// for one %.
//
// Registration creates every key and writes its values; a key marked ForceRemove is first
// deleted with all its subkeys, so that nothing left from an earlier registration survives.
// Unregistration deletes every key of the script with its subkeys, except those marked NoRemove:
// they stay (the values the script names in them are deleted) and their subkeys are visited.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/win.h"

namespace swkv {

class CRegistrar {
 public:
  void AddReplacement(std::string name, std::string value);

  // S_OK, or the status of the first failure: E_INVALIDARG for a script that does not parse
  // (nothing is written then), the registry's error as an HRESULT otherwise (the keys written
  // before it stay).
  HRESULT Register(std::string_view script) const;
  // Removes what the script registers, going on after failures; S_OK or the first failure.
  HRESULT Unregister(std::string_view script) const;

 private:
  std::map<std::string, std::string> m_replacements;
};

}  // namespace swkv
