#include "core/orn_id.h"

#include <cstdio>

std::string OrnID::toString() const {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(data1), static_cast<unsigned>(data2),
                static_cast<unsigned>(data3), data4[0], data4[1], data4[2], data4[3], data4[4],
                data4[5], data4[6], data4[7]);
  return buffer;
}

namespace {
int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
bool readHex(const char*& p, int digits, uint32_t* value) {
  uint32_t v = 0;
  for (int i = 0; i < digits; ++i) {
    const int h = hexValue(p[i]);
    if (h < 0) return false;
    v = v * 16 + static_cast<uint32_t>(h);
  }
  p += digits;
  *value = v;
  return true;
}
}  // namespace

bool OrnID::parse(const char* text, OrnID* out) {
  if (text == nullptr) return false;
  const char* p = text;
  const bool braced = *p == '{';
  if (braced) ++p;
  OrnID id;
  uint32_t v = 0;
  if (!readHex(p, 8, &v) || *p++ != '-') return false;
  id.data1 = v;
  if (!readHex(p, 4, &v) || *p++ != '-') return false;
  id.data2 = static_cast<uint16_t>(v);
  if (!readHex(p, 4, &v) || *p++ != '-') return false;
  id.data3 = static_cast<uint16_t>(v);
  for (int i = 0; i < 8; ++i) {
    if (i == 2 && *p++ != '-') return false;
    if (!readHex(p, 2, &v)) return false;
    id.data4[i] = static_cast<uint8_t>(v);
  }
  if (braced && *p++ != '}') return false;
  if (*p != 0) return false;
  *out = id;
  return true;
}
