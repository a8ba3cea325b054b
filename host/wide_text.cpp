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
  for (const char16_t* p = text; *p != 0;) {
    const uint32_t c = nextUtf16CodePoint(p);
    if (used + 4 > sizeof buffer) {
      std::fwrite(buffer, 1, used, stream);
      used = 0;
    }
    used += static_cast<size_t>(encodeUtf8(c, buffer + used));
  }
  if (used > 0) std::fwrite(buffer, 1, used, stream);
}
