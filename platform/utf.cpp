#include "platform/utf.h"

uint32_t nextUtf16CodePoint(const char16_t*& p) {
  uint32_t c = *p++;
  if (c >= 0xD800 && c <= 0xDBFF && *p >= 0xDC00 && *p <= 0xDFFF) {
    c = 0x10000 + ((c - 0xD800) << 10) + (*p++ - 0xDC00);
  } else if (c >= 0xD800 && c <= 0xDFFF) {
    c = 0xFFFD;
  }
  return c;
}

int encodeUtf8(uint32_t c, char* out) {
  if (c < 0x80) {
    out[0] = static_cast<char>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<char>(0xC0 | (c >> 6));
    out[1] = static_cast<char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (c >> 12));
    out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (c >> 18));
  out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (c & 0x3F));
  return 4;
}

std::string utf8FromUtf16(const char16_t* text) {
  std::string out;
  if (text == nullptr) return out;
  char bytes[4];
  for (const char16_t* p = text; *p != 0;) {
    out.append(bytes, static_cast<size_t>(encodeUtf8(nextUtf16CodePoint(p), bytes)));
  }
  return out;
}

bool decodeUtf8(const std::string& s, size_t& i, uint32_t* c) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
  const uint8_t b0 = byte(i);
  int extra;
  uint32_t value;
  uint32_t minimum;
  if (b0 < 0x80) {
    *c = b0;
    ++i;
    return true;
  } else if ((b0 & 0xE0) == 0xC0) {
    extra = 1, value = b0 & 0x1F, minimum = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2, value = b0 & 0x0F, minimum = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3, value = b0 & 0x07, minimum = 0x10000;
  } else {
    return false;
  }
  if (i + static_cast<size_t>(extra) >= s.size()) return false;
  for (int k = 1; k <= extra; ++k) {
    const uint8_t b = byte(i + k);
    if ((b & 0xC0) != 0x80) return false;
    value = (value << 6) | (b & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
  *c = value;
  i += static_cast<size_t>(extra) + 1;
  return true;
}

void appendUtf16(std::u16string& out, uint32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 | (c >> 10));
    out += static_cast<char16_t>(0xDC00 | (c & 0x3FF));
  }
}
