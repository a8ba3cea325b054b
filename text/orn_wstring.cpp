// STUB-ish: to be completed and reviewed by the wide-string owner.
#include "text/orn_wstring.h"

#include <cstring>

#include "pool/pool_binding.h"

int32_t wideLength(const char16_t* s) {
  if (s == nullptr) return 0;
  int32_t n = 0;
  while (s[n] != 0) ++n;
  return n;
}

namespace {
char16_t* allocUnits(int32_t units, int32_t* capacity) {
  int granted = 0;
  void* block = poolAlloc(units * 2, &granted);
  *capacity = granted;
  return static_cast<char16_t*>(block);
}
void freeBlock(void*& block, int32_t& capacity) {
  if (block != nullptr && capacity > 0) poolFree(capacity, &block);
  block = nullptr;
  capacity = 0;
}
}  // namespace

OrnWString::OrnWString(const char* s) { assignNarrow(s); }

OrnWString::OrnWString(const OrnWString& other) {
  assignText(other.text, other.capacity != 0 ? -1 : 0);
  if (other.aux1 != nullptr && other.aux1Capacity == 0) aux1 = other.aux1;
}

OrnWString::OrnWString(OrnWString&& other) noexcept
    : text(other.text), capacity(other.capacity), aux1(other.aux1),
      aux1Capacity(other.aux1Capacity), aux2(other.aux2), aux2Capacity(other.aux2Capacity) {
  other.text = nullptr;
  other.capacity = 0;
  other.aux1 = other.aux2 = nullptr;
  other.aux1Capacity = other.aux2Capacity = 0;
}

OrnWString::~OrnWString() {
  freeBlock(aux1, aux1Capacity);
  freeBlock(aux2, aux2Capacity);
  releaseText();
}

OrnWString OrnWString::fromChar(char c) {
  const char s[2] = {c, 0};
  return OrnWString(s);
}

void OrnWString::releaseText() {
  void* block = text;
  freeBlock(block, capacity);
  text = nullptr;
}

void OrnWString::assignNarrow(const char* s) {
  releaseText();
  if (s == nullptr) return;
  const int32_t n = static_cast<int32_t>(std::strlen(s));
  text = allocUnits(n + 1, &capacity);
  for (int32_t i = 0; i <= n; ++i) text[i] = static_cast<unsigned char>(s[i]);
}

void OrnWString::assignText(const char16_t* src, int32_t count) {
  releaseText();
  if (src == nullptr) return;
  if (count == 0) {
    text = const_cast<char16_t*>(src);
    return;
  }
  if (count == -1) count = wideLength(src);
  if (count < 0) return;
  text = allocUnits(count + 1, &capacity);
  std::memcpy(text, src, static_cast<size_t>(count) * 2);
  text[count] = 0;
}

void OrnWString::assign(const OrnWString& other) {
  if (&other == this) return;
  assignText(other.text, other.capacity != 0 ? -1 : 0);
}

int32_t OrnWString::length() const { return wideLength(text); }

OrnWString& OrnWString::append(const OrnWString& other) {
  const int32_t l1 = length();
  const int32_t l2 = other.length();
  const int32_t needed = (l1 + l2 + 1) * 2;
  if (capacity >= needed) {
    if (l2 > 0) std::memmove(text + l1, other.text, static_cast<size_t>(l2) * 2);
    text[l1 + l2] = 0;
    return *this;
  }
  int32_t granted = 0;
  char16_t* fresh = allocUnits(l1 + l2 + 1, &granted);
  if (l1 > 0) std::memcpy(fresh, text, static_cast<size_t>(l1) * 2);
  if (l2 > 0) std::memcpy(fresh + l1, other.text, static_cast<size_t>(l2) * 2);
  fresh[l1 + l2] = 0;
  releaseText();
  text = fresh;
  capacity = granted;
  return *this;
}

OrnWString OrnWString::replaceRange(int32_t start, int32_t end, const OrnWString& insert) const {
  const int32_t l = length();
  if (start < 0) start = 0;
  if (start > l) start = l;
  if (end < start) end = start;
  if (end > l) end = l;
  const int32_t ins = insert.length();
  const int32_t total = start + ins + (l - end);
  OrnWString result;
  int32_t granted = 0;
  result.text = allocUnits(total + 1, &granted);
  result.capacity = granted;
  if (start > 0) std::memcpy(result.text, text, static_cast<size_t>(start) * 2);
  if (ins > 0) std::memcpy(result.text + start, insert.text, static_cast<size_t>(ins) * 2);
  for (int32_t i = end; i < l; ++i) result.text[start + ins + (i - end)] = text[i];
  result.text[total] = 0;
  return result;
}
