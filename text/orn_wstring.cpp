#include "text/orn_wstring.h"

#include <cstring>

#include "pool/pool_binding.h"
#include "text/text_check.h"
#include "text/wide_block.h"

int32_t wideLength(const char16_t* s) {
  if (s == nullptr) return 0;
  const char16_t* p = s;
  while (*p != 0) ++p;
  return static_cast<int32_t>(p - s);
}

bool wideStringIsSound(const OrnWString& s) {
  if (s.capacity < 0 || s.aux1Capacity < 0 || s.aux2Capacity < 0) return false;
  if (s.aux1Capacity > 0 && s.aux1 == nullptr) return false;
  if (s.aux2Capacity > 0 && s.aux2 == nullptr) return false;
  if (s.capacity == 0) return true;
  if (s.text == nullptr) return false;
  const int32_t units = s.capacity / 2;
  for (int32_t i = 0; i < units; ++i) {
    if (s.text[i] == 0) return true;
  }
  return false;
}

namespace {
// Gives an owned block back and empties the pointer/capacity pair; borrowed blocks are dropped.
void releaseBlock(void*& block, int32_t& capacity) {
  if (block != nullptr && capacity > 0) poolFree(capacity, &block);
  block = nullptr;
  capacity = 0;
}

void copyUnits(char16_t* to, const char16_t* from, int32_t units) {
  if (units > 0) std::memcpy(to, from, static_cast<size_t>(units) * sizeof(char16_t));
}
}  // namespace

OrnWString::OrnWString(const char* s) { assignNarrow(s); }

OrnWString::OrnWString(const OrnWString& other) {
  assignText(other.text, other.capacity != 0 ? -1 : 0);
  if (other.aux1 != nullptr && other.aux1Capacity == 0) aux1 = other.aux1;
}

OrnWString::OrnWString(OrnWString&& other) noexcept
    : text(other.text),
      capacity(other.capacity),
      aux1(other.aux1),
      aux1Capacity(other.aux1Capacity),
      aux2(other.aux2),
      aux2Capacity(other.aux2Capacity) {
  other.text = nullptr;
  other.capacity = 0;
  other.aux1 = other.aux2 = nullptr;
  other.aux1Capacity = other.aux2Capacity = 0;
}

OrnWString::~OrnWString() {
  ORN_TEXT_CHECK(wideStringIsSound(*this));
  releaseBlock(aux1, aux1Capacity);
  releaseBlock(aux2, aux2Capacity);
  releaseText();
}

OrnWString OrnWString::fromChar(char c) {
  const char s[2] = {c, 0};
  return OrnWString(s);
}

void OrnWString::releaseText() {
  void* block = text;
  releaseBlock(block, capacity);
  text = nullptr;
}

void OrnWString::takeText(OrnWString& other) {
  if (&other == this) return;
  releaseText();
  text = other.text;
  capacity = other.capacity;
  other.text = nullptr;
  other.capacity = 0;
}

void OrnWString::assignNarrow(const char* s) {
  ORN_TEXT_CHECK(wideStringIsSound(*this));
  if (s == nullptr) {
    releaseText();
    return;
  }
  const size_t n = std::strlen(s);
  int32_t granted = 0;
  char16_t* fresh = allocWideUnits(static_cast<int64_t>(n) + 1, &granted);
  for (size_t i = 0; i <= n; ++i) fresh[i] = static_cast<unsigned char>(s[i]);
  releaseText();
  text = fresh;
  capacity = granted;
}

void OrnWString::assignText(const char16_t* src, int32_t count) {
  ORN_TEXT_CHECK(wideStringIsSound(*this));
  if (src == nullptr || count < -1) {
    releaseText();
    return;
  }
  // A borrow of the own block would dangle once the block is released: copy it instead.
  const bool inOwnBlock =
      capacity > 0 && text != nullptr &&
      reinterpret_cast<uintptr_t>(src) >= reinterpret_cast<uintptr_t>(text) &&
      reinterpret_cast<uintptr_t>(src) < reinterpret_cast<uintptr_t>(text) + capacity;
  if (count == 0 && !inOwnBlock) {
    releaseText();
    text = const_cast<char16_t*>(src);
    return;
  }
  if (count <= 0) count = wideLength(src);
  int32_t granted = 0;
  char16_t* fresh = allocWideUnits(static_cast<int64_t>(count) + 1, &granted);
  copyUnits(fresh, src, count);
  fresh[count] = 0;
  releaseText();
  text = fresh;
  capacity = granted;
}

void OrnWString::assign(const OrnWString& other) {
  if (&other == this) return;
  assignText(other.text, other.capacity != 0 ? -1 : 0);
}

int32_t OrnWString::length() const { return wideLength(text); }

OrnWString& OrnWString::append(const OrnWString& other) {
  ORN_TEXT_CHECK(wideStringIsSound(*this));
  const int32_t l1 = length();
  const int32_t l2 = other.length();
  const int64_t units = static_cast<int64_t>(l1) + l2 + 1;
  if (text != nullptr && capacity > 0 && static_cast<int64_t>(capacity) >= units * 2) {
    // other may be this very string or borrow from it: the units read lie before l1.
    if (l2 > 0) std::memmove(text + l1, other.text, static_cast<size_t>(l2) * sizeof(char16_t));
    text[l1 + l2] = 0;
    return *this;
  }
  int32_t granted = 0;
  char16_t* fresh = allocWideUnits(units, &granted);
  copyUnits(fresh, text, l1);
  copyUnits(fresh + l1, other.text, l2);
  fresh[l1 + l2] = 0;
  releaseText();
  text = fresh;
  capacity = granted;
  return *this;
}

OrnWString OrnWString::replaceRange(int32_t start, int32_t end, const OrnWString& insert) const {
  ORN_TEXT_CHECK(wideStringIsSound(*this));
  const int32_t l = length();
  if (start < 0) start = 0;
  if (start > l) start = l;
  if (end < start) end = start;
  if (end > l) end = l;
  const int32_t ins = insert.length();
  const int64_t total = static_cast<int64_t>(start) + ins + (l - end);
  OrnWString result;
  result.text = allocWideUnits(total + 1, &result.capacity);
  copyUnits(result.text, text, start);
  copyUnits(result.text + start, insert.text, ins);
  copyUnits(result.text + start + ins, text + end, l - end);
  result.text[total] = 0;
  return result;
}
