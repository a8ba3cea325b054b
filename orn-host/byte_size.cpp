#include "orn-host/byte_size.h"

#include <cctype>

namespace {
bool isBlank(char c) { return c == ' ' || c == '\t'; }

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// The power of 1024 a unit stands for, or -1 for no unit this parser knows.
int unitPower(const std::string& unit) {
  if (unit.empty() || unit == "b") return 0;
  static const char prefixes[] = "kmgtpe";
  for (int i = 0; prefixes[i] != '\0'; ++i) {
    const std::string p(1, prefixes[i]);
    if (unit == p || unit == p + "b" || unit == p + "ib") return i + 1;
  }
  return -1;
}
}  // namespace

bool parseByteSize(const std::string& text, uint64_t* bytes, std::string* error) {
  const std::string quoted = "'" + text + "'";
  size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  if (i == text.size()) {
    *error = "no size given (" + quoted + "); give bytes, e.g. 8M or 0 for none";
    return false;
  }
  if (text[i] == '-' || text[i] == '+') {
    *error = quoted + " has a sign; give a size in bytes, e.g. 8M or 0 for none";
    return false;
  }
  uint64_t number = 0;
  bool overflow = false;
  const size_t digitsFrom = i;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const uint64_t digit = static_cast<uint64_t>(text[i] - '0');
    if (number > (UINT64_MAX - digit) / 10) overflow = true;
    if (!overflow) number = number * 10 + digit;
  }
  if (i == digitsFrom) {
    *error = quoted + " is not a size; give bytes, e.g. 8M or 0 for none";
    return false;
  }
  if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
    *error =
        quoted + " is not a whole number; give whole bytes or a smaller unit (1536K, not 1.5M)";
    return false;
  }
  while (i < text.size() && isBlank(text[i])) ++i;
  std::string unit;
  for (; i < text.size() && !isBlank(text[i]); ++i) unit += lower(text[i]);
  while (i < text.size() && isBlank(text[i])) ++i;
  const int power = unitPower(unit);
  if (i != text.size() || power < 0) {
    *error = quoted + " has an unknown unit; the units are B, K, M, G, T, P and E (powers of 1024)";
    return false;
  }
  for (int p = 0; p < power && !overflow; ++p) {
    if (number > UINT64_MAX / 1024) overflow = true;
    number *= 1024;
  }
  if (overflow) {
    *error = quoted + " is more than this process can hold (more than 2^64 - 1 bytes)";
    return false;
  }
  *bytes = number;
  return true;
}
