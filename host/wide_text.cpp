#include "host/wide_text.h"

#include <cstdint>

#include "platform/utf.h"


std::string toUtf8(const char16_t* text) { return utf8FromUtf16(text); }

bool fromUtf8(const std::string& utf8, std::u16string* out) {
  std::u16string result;
  size_t i = 0;
  while (i < utf8.size()) {
    uint32_t c = 0;
    if (!decodeUtf8(utf8, i, &c)) return false;
    appendUtf16(result, c);
  }
  *out = std::move(result);
  return true;
}

OrnWString makeWide(const std::string& utf8) {
  std::u16string units;
  size_t i = 0;
  while (i < utf8.size()) {
    uint32_t c = 0;
    if (!decodeUtf8(utf8, i, &c)) {
      c = static_cast<uint8_t>(utf8[i]);
      ++i;
    }
    appendUtf16(units, c);
  }
  OrnWString out;
  if (units.empty()) {
    out.assignNarrow("");
  } else {
    out.assignText(units.c_str(), static_cast<int32_t>(units.size()));
  }
  return out;
}

void writeUtf8(std::FILE* stream, const char16_t* text) noexcept {
  if (stream == nullptr || text == nullptr) return;
  char buffer[256];
  size_t used = 0;
  for (const char16_t* p = text; *p != 0; ++p) {
    uint32_t c = *p;
    if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
      ++p;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (used + 4 > sizeof buffer) {
      std::fwrite(buffer, 1, used, stream);
      used = 0;
    }
    if (c < 0x80) {
      buffer[used++] = static_cast<char>(c);
    } else if (c < 0x800) {
      buffer[used++] = static_cast<char>(0xC0 | (c >> 6));
      buffer[used++] = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      buffer[used++] = static_cast<char>(0xE0 | (c >> 12));
      buffer[used++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      buffer[used++] = static_cast<char>(0x80 | (c & 0x3F));
    } else {
      buffer[used++] = static_cast<char>(0xF0 | (c >> 18));
      buffer[used++] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      buffer[used++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      buffer[used++] = static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  if (used > 0) std::fwrite(buffer, 1, used, stream);
}
