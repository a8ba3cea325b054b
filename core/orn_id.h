// OrnID: the 128-bit identifier of components and classes, laid out as a GUID.
#ifndef ORN_CORE_ORN_ID_H_
#define ORN_CORE_ORN_ID_H_

#include <cstdint>
#include <cstring>
#include <string>

#include "text/orn_hash_table.h"

// A plain class whose only virtual operation is the destructor. Copies copy every field.
class OrnID {
 public:
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  uint8_t data4[8] = {0, 0, 0, 0, 0, 0, 0, 0};

  OrnID() = default;
  // constexpr, so that an identifier constant is set before any static initialiser runs: the
  // Microsoft ABI build runs an inline variable's initialiser after the registrations that copy it.
  constexpr OrnID(uint32_t d1, uint16_t d2, uint16_t d3, const uint8_t (&d4)[8])
      : data1(d1), data2(d2), data3(d3) {
    for (int i = 0; i < 8; ++i) data4[i] = d4[i];
  }
  OrnID(const OrnID& other) = default;
  OrnID& operator=(const OrnID& other) = default;
  virtual ~OrnID() = default;

  bool equals(const OrnID& other) const {
    return data1 == other.data1 && data2 == other.data2 && data3 == other.data3 &&
           std::memcmp(data4, other.data4, sizeof data4) == 0;
  }
  // Registry form, e.g. "{6B29FC40-CA47-1067-B31D-00DD010662DA}".
  std::string toString() const;
  // Parses the registry form, with or without braces; false on anything else.
  static bool parse(const char* text, OrnID* out);
};

template <>
struct OrnKeyTraits<OrnID> {
  static uint32_t hash(const OrnID& key) { return key.data1; }
  static bool equals(const OrnID& a, const OrnID& b) { return a.equals(b); }
};

#endif  // ORN_CORE_ORN_ID_H_
