// The host's conversions between UTF-8 (settings files, catalogues, options, output) and the
// framework's UTF-16 text, on any bytes, against a model written from the UTF-8 definition:
//  - as UTF-8: fromUtf8 accepts exactly well-formed text, gives its code points, and toUtf8 gives
//    the bytes back; makeWide takes every byte of a malformed sequence as Latin-1 and loses none;
//  - as UTF-16 units: toUtf8 joins surrogate pairs and writes a lone surrogate as U+FFFD, writeUtf8
//    (the no-allocation writer of the out-of-memory road) writes the same bytes, and the result is
//    well-formed UTF-8 that reads back to the same units.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/wide_text.h"

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "fuzz_utf_text: %s differs from the model\n", what);
  std::abort();
}

// One well-formed UTF-8 sequence at s[i] (Unicode's table of well-formed byte sequences):
// its code point and length, or 0 when there is none.
size_t modelSequence(const std::string& s, size_t i, uint32_t* c) {
  const auto at = [&](size_t k) { return k < s.size() ? static_cast<uint8_t>(s[k]) : 0x100; };
  const unsigned b0 = at(i);
  const auto in = [](unsigned b, unsigned lo, unsigned hi) { return b >= lo && b <= hi; };
  if (b0 <= 0x7F) {
    *c = b0;
    return 1;
  }
  unsigned lo = 0x80, hi = 0xBF;
  size_t length;
  if (in(b0, 0xC2, 0xDF)) {
    length = 2;
  } else if (in(b0, 0xE0, 0xEF)) {
    length = 3;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (in(b0, 0xF0, 0xF4)) {
    length = 4;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (!in(at(i + 1), lo, hi)) return 0;
  for (size_t k = 2; k < length; ++k) {
    if (!in(at(i + k), 0x80, 0xBF)) return 0;
  }
  uint32_t value = b0 & (length == 2 ? 0x1F : length == 3 ? 0x0F : 0x07);
  for (size_t k = 1; k < length; ++k) value = (value << 6) | (at(i + k) & 0x3F);
  *c = value;
  return length;
}

void modelAppendUtf16(std::u16string& out, uint32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  }
}

void modelAppendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
    return;
  }
  const int length = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
  static const unsigned lead[] = {0, 0, 0xC0, 0xE0, 0xF0};
  out += static_cast<char>(lead[length] | (c >> (6 * (length - 1))));
  for (int k = length - 2; k >= 0; --k) out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
}

void checkAsUtf8(const std::string& bytes) {
  std::u16string strict;   // the code points of well-formed text
  std::u16string lenient;  // what makeWide keeps: malformed bytes one by one as Latin-1
  bool wellFormed = true;
  for (size_t i = 0; i < bytes.size();) {
    uint32_t c = 0;
    const size_t length = modelSequence(bytes, i, &c);
    if (length == 0) {
      wellFormed = false;
      lenient += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]));
      ++i;
      continue;
    }
    modelAppendUtf16(strict, c);
    modelAppendUtf16(lenient, c);
    i += length;
  }

  std::u16string units = u"untouched";
  if (fromUtf8(bytes, &units) != wellFormed) fail("fromUtf8's verdict");
  if (wellFormed) {
    if (units != strict) fail("fromUtf8's units");
    if (toUtf8(units.c_str()) != bytes.substr(0, bytes.find('\0'))) fail("the UTF-8 round trip");
  } else if (units != u"untouched") {
    fail("fromUtf8 on malformed text (it must leave its output alone)");
  }

  const OrnWString wide = makeWide(bytes);
  const std::u16string kept = wide.text != nullptr ? std::u16string(wide.text) : std::u16string();
  if (kept != lenient.substr(0, lenient.find(u'\0'))) fail("makeWide");
}

void checkAsUtf16(const uint8_t* data, size_t size) {
  std::u16string units;
  for (size_t i = 0; i + 1 < size; i += 2) {
    const char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0) break;
    units += unit;
  }
  std::string want;
  std::u16string repaired;  // lone surrogates replaced
  for (size_t i = 0; i < units.size(); ++i) {
    uint32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    modelAppendUtf8(want, c);
    modelAppendUtf16(repaired, c);
  }

  const std::string got = toUtf8(units.c_str());
  if (got != want) fail("toUtf8");

  char* written = nullptr;
  size_t writtenSize = 0;
  std::FILE* stream = open_memstream(&written, &writtenSize);
  if (stream == nullptr) std::abort();
  writeUtf8(stream, units.c_str());
  std::fclose(stream);
  const std::string streamed(written, writtenSize);
  std::free(written);
  if (streamed != want) fail("writeUtf8");

  std::u16string back;
  if (!fromUtf8(got, &back) || back != repaired) fail("reading toUtf8's output back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  checkAsUtf8(std::string(reinterpret_cast<const char*>(data), size));
  checkAsUtf16(data, size);
  return 0;
}
