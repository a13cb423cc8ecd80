// Text conversion between the component's single-byte ("ANSI") text and UTF-16.
//
// The POSIX build's ANSI code page maps every byte 0x00-0xFF to U+0000-U+00FF, so every byte
// round-trips; a UTF-16 unit above U+00FF becomes '?'.
#pragma once

#include "platform/posix/windef.h"

constexpr UINT CP_ACP = 0;

extern "C" {
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH multiByte, int byteCount,
                        LPWSTR wide, int wideCount);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideCount, LPSTR multiByte,
                        int byteCount, LPCCH defaultChar, BOOL* usedDefaultChar);
}
