// The user-interface calls of the POSIX build: strings from a module's string table and the
// message box.
#pragma once

#include "platform/posix/windef.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr UINT MB_APPLMODAL = 0x00000000;
constexpr UINT MB_TASKMODAL = 0x00002000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

extern "C" {

// Copies string id of the module's string table into buffer, at most bufferMax - 1 characters and
// a terminator, and returns the number of characters copied. A missing module table or id leaves
// an empty text and returns 0; a null instance means the main program. Module string tables are
// registered by the modules themselves (platform/resource_script.h).
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax);

// There is no display to show a box on: the text goes to standard error as one line,
// "caption: text" ("Error" when caption is null), and the box answers IDOK at once, as if its
// first button had been pressed.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

}  // extern "C"
