// A registrar for the text form of registry scripts:
//
//   HKCR
//   {
//       NoRemove AppID
//       {
//           '%APPID%' = s 'Vexo'
//           'Vexo.DLL'
//           {
//               val AppID = s '%APPID%'
//           }
//       }
//   }
//
// A script is a sequence of roots (HKCR, HKEY_CLASSES_ROOT and the other
// predefined roots, long or short), each followed by a braced list of keys.
// A key is a name, optionally preceded by NoRemove or ForceRemove, optionally
// followed by "= s 'text'" for its default value and by a braced list of its
// values ("val name = s 'text'") and subkeys.  Names and texts may be quoted
// with ' (a doubled '' is one quote); replacement variables are expanded in
// each name and text after the script is split into tokens, so a value never
// changes the script's structure.
#pragma once

#include <windows.h>

#include <string>

#include "server/registry.h"
#include "server/replacements.h"

namespace zorvel {

// Registration creates the keys and writes the values.  When it fails part
// way, one unregistration pass over the same script removes what it wrote.
//
// Unregistration deletes the named values, then each key once no subkey
// remains under it; NoRemove keys stay, ForceRemove keys go with everything
// under them.  Keys and values that are already gone are not an error.
//
// Results: S_OK; DISP_E_EXCEPTION for a syntax error or an unknown root;
// E_FAIL for a bad replacement variable; 0x8007xxxx for a registry error.
// Nothing is written when the script does not parse.
HRESULT RunRegistrarScript(RegistryStore& registry, const std::wstring& script,
                           const Replacements& replacements, bool bRegister);

}  // namespace zorvel
