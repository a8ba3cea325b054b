#include <stdlib.h>

#include <cstdint>

#include "platform/temp_directory.h"

namespace {
// Converts a UTF-8 path into out without allocating; false when it is not UTF-8 or does not fit.
bool widenPath(const char* path, char16_t* out, size_t capacity, size_t* length) {
  size_t used = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(path); *p != 0;) {
    uint32_t c = *p;
    int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : 3;
    if (c >= 0x80 && (c & 0xF8) > 0xF0) return false;
    c = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    ++p;
    for (int k = 0; k < extra; ++k, ++p) {
      if ((*p & 0xC0) != 0x80) return false;
      c = (c << 6) | (*p & 0x3F);
    }
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    const size_t units = c >= 0x10000 ? 2 : 1;
    if (used + units + 1 > capacity) return false;
    if (units == 2) {
      out[used++] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out[used++] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out[used++] = static_cast<char16_t>(c);
    }
  }
  out[used] = 0;
  *length = used;
  return true;
}
}  // namespace

size_t platformSystemTempDirectory(char16_t* out, size_t capacity) {
  if (capacity == 0) return 0;
  out[0] = 0;
  const char* fromEnvironment = ::getenv("TMPDIR");
  size_t length = 0;
  if (fromEnvironment == nullptr || fromEnvironment[0] != '/' ||
      !widenPath(fromEnvironment, out, capacity, &length)) {
    if (!widenPath("/tmp", out, capacity, &length)) return 0;
  }
  while (length > 1 && out[length - 1] == u'/') out[--length] = 0;
  return length;
}
