#include <windows.h>

#include "platform/temp_directory.h"

size_t platformSystemTempDirectory(char16_t* out, size_t capacity) {
  if (capacity == 0) return 0;
  out[0] = 0;
  wchar_t* wide = reinterpret_cast<wchar_t*>(out);
  const DWORD room = capacity > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(capacity);
  size_t length = GetTempPathW(room, wide);
  if (length == 0 || length >= capacity) {
    out[0] = 0;
    return 0;
  }
  // "C:\Temp\" loses its separator; a drive root "C:\" keeps it.
  while (length > 1 && (out[length - 1] == u'\\' || out[length - 1] == u'/') &&
         !(length == 3 && out[1] == u':')) {
    out[--length] = 0;
  }
  return length;
}
