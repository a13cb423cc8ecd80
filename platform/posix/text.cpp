// Single-byte <-> UTF-16 conversion with the Windows calling conventions: a count of -1 means
// "up to and including the terminator", a zero output size asks for the size needed, and a
// buffer that is too small fails with ERROR_INSUFFICIENT_BUFFER.
#include "platform/win.h"

namespace {

template <class From>
int Length(const From* text, int count) {
  if (count >= 0) return count;
  int length = 0;
  while (text[length] != 0) ++length;
  return length + 1;
}

}  // namespace

extern "C" {

int MultiByteToWideChar(UINT, DWORD, LPCCH multiByte, int byteCount, LPWSTR wide,
                        int wideCount) {
  if (!multiByte || byteCount == 0 || byteCount < -1 || wideCount < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int length = Length(multiByte, byteCount);
  if (wideCount == 0) return length;
  if (!wide) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (wideCount < length) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  for (int i = 0; i < length; ++i) wide[i] = static_cast<unsigned char>(multiByte[i]);
  return length;
}

int WideCharToMultiByte(UINT, DWORD, LPCWCH wide, int wideCount, LPSTR multiByte, int byteCount,
                        LPCCH defaultChar, BOOL* usedDefaultChar) {
  if (!wide || wideCount == 0 || wideCount < -1 || byteCount < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  int length = Length(wide, wideCount);
  if (usedDefaultChar) *usedDefaultChar = FALSE;
  if (byteCount == 0) return length;
  if (!multiByte) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (byteCount < length) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  const char fallback = defaultChar ? *defaultChar : '?';
  for (int i = 0; i < length; ++i) {
    if (wide[i] <= 0xFF) {
      multiByte[i] = static_cast<char>(wide[i]);
    } else {
      multiByte[i] = fallback;
      if (usedDefaultChar) *usedDefaultChar = TRUE;
    }
  }
  return length;
}

}  // extern "C"
