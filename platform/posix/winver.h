// Version information of module files in the POSIX build.
//
// A module carries its version block in an ELF section of its own file (".swkv_version", written
// by platform/resource_script.h). The block has the node layout of the Windows version resource
// (VS_VERSIONINFO with VS_FIXEDFILEINFO, StringFileInfo and VarFileInfo) with single-byte keys
// and texts, so VerQueryValueA hands out pointers into the caller's copy without conversion.
#pragma once

#include "platform/posix/windef.h"

struct VS_FIXEDFILEINFO {
  DWORD dwSignature;
  DWORD dwStrucVersion;
  DWORD dwFileVersionMS;
  DWORD dwFileVersionLS;
  DWORD dwProductVersionMS;
  DWORD dwProductVersionLS;
  DWORD dwFileFlagsMask;
  DWORD dwFileFlags;
  DWORD dwFileOS;
  DWORD dwFileType;
  DWORD dwFileSubtype;
  DWORD dwFileDateMS;
  DWORD dwFileDateLS;
};

constexpr DWORD VS_FFI_SIGNATURE = 0xFEEF04BD;
constexpr DWORD VS_FFI_STRUCVERSION = 0x00010000;
constexpr DWORD VS_FFI_FILEFLAGSMASK = 0x0000003F;
constexpr DWORD VOS_NT_WINDOWS32 = 0x00040004;
constexpr DWORD VFT_DLL = 0x00000002;
constexpr DWORD VFT2_UNKNOWN = 0x00000000;

extern "C" {

// The size of the file's version block, 0 when it has none. handle, when given, is set to 0.
// Last error on failure: ERROR_FILE_NOT_FOUND (or another open error), ERROR_BAD_FORMAT for a
// file that is not a module, ERROR_RESOURCE_TYPE_NOT_FOUND for a module without a version block,
// ERROR_INVALID_DATA for a damaged block.
DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle);

// Copies the file's version block into data. A buffer smaller than the size reported above fails
// with ERROR_INSUFFICIENT_BUFFER rather than leaving a partial block that lookups would misread.
BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD handle, DWORD length, LPVOID data);

// Looks subBlock up in a block from GetFileVersionInfoA: "\" for the VS_FIXEDFILEINFO (length in
// bytes), "\VarFileInfo\Translation" for the array of {language, code page} words (length in
// bytes), "\StringFileInfo\<lang><codepage>\<name>" for a text (length in characters with the
// terminator). Keys compare without regard to case. FALSE with ERROR_RESOURCE_TYPE_NOT_FOUND
// when there is no such entry.
BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, PUINT length);

}  // extern "C"
