// Placeholder substitution of the pass-through translator: %1..%9 and %: in one pass, or %N one
// position at a time.
#include <cstring>

#include "text/wide_block.h"
#include "translation/translator.h"

namespace {
// The most placeholders one pass fills; later ones stay as plain text.
constexpr int kMaxPlaceholders = 10;

struct Placeholder {
  int32_t at;           // position of the '%'
  const char16_t* arg;  // argument text, or null
  int32_t argLength;
};

void copyUnits(char16_t* to, const char16_t* from, int64_t units) {
  if (units > 0) std::memcpy(to, from, static_cast<size_t>(units) * sizeof(char16_t));
}
}  // namespace

void substitutePlaceholders(OrnWString& s, const OrnWString* const* args, int32_t count) {
  if (s.capacity < 2 || s.text == nullptr) return;
  const char16_t* text = s.text;
  Placeholder found[kMaxPlaceholders];
  int recorded = 0;
  int64_t resultLength = 0;
  int32_t i = 0;
  while (text[i] != 0) {
    if (text[i] != u'%' || text[i + 1] == 0) {
      ++i;
      continue;
    }
    const char16_t c = text[i + 1];
    if (c >= u'1' && c <= u':' && recorded < kMaxPlaceholders) {
      const int32_t position = c - u'0';
      const OrnWString* arg = (args != nullptr && position <= count) ? args[position - 1] : nullptr;
      Placeholder& p = found[recorded++];
      p.at = i;
      p.arg = arg != nullptr ? arg->text : nullptr;
      p.argLength = wideLength(p.arg);
      resultLength += p.argLength - 2;
    }
    i += 2;  // the unit after a '%' is never itself taken as a '%'
  }
  if (recorded == 0) return;
  const int32_t length = i;
  resultLength += length;

  int32_t granted = 0;
  char16_t* fresh = allocWideUnits(resultLength + 1, &granted);
  int64_t to = 0;
  int32_t from = 0;
  for (int k = 0; k < recorded; ++k) {
    copyUnits(fresh + to, text + from, found[k].at - from);
    to += found[k].at - from;
    copyUnits(fresh + to, found[k].arg, found[k].argLength);
    to += found[k].argLength;
    from = found[k].at + 2;
  }
  copyUnits(fresh + to, text + from, length - from);
  to += length - from;
  fresh[to] = 0;

  OrnWString built;
  built.text = fresh;
  built.capacity = granted;
  s.takeText(built);
}

void replacePlaceholder(OrnWString& s, int32_t n, const OrnWString* a) {
  if (n < 1 || s.text == nullptr) return;
  char16_t digits[12];
  int count = 0;
  for (int32_t rest = n; rest > 0; rest /= 10)
    digits[count++] = static_cast<char16_t>(u'0' + rest % 10);
  for (int k = 0; k < count / 2; ++k) {
    const char16_t t = digits[k];
    digits[k] = digits[count - 1 - k];
    digits[count - 1 - k] = t;
  }
  const char16_t* text = s.text;
  for (int32_t j = 0; text[j] != 0; ++j) {
    if (text[j] != u'%' || text[j + 1] == 0) continue;
    int matched = 0;
    while (matched < count && text[j + 1 + matched] == digits[matched]) ++matched;
    if (matched < count) continue;
    OrnWString none;
    OrnWString replaced = s.replaceRange(j, j + 1 + count, a != nullptr ? *a : none);
    s.takeText(replaced);
    return;
  }
}
