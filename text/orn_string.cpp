#include "text/orn_string.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "memory/out_of_memory.h"
#include "pool/pool_binding.h"
#include "text/text_check.h"

bool stringIsSound(const OrnString& s) {
  if (s.capacity < 0) return false;
  if (s.capacity == 0) return true;
  return s.text != nullptr && std::memchr(s.text, 0, static_cast<size_t>(s.capacity)) != nullptr;
}

namespace {
// An owned pooled copy of s (non-null) into text/capacity.
void copyInto(const char* s, char*& text, int32_t& capacity) {
  const size_t bytes = std::strlen(s) + 1;
  if (bytes > static_cast<size_t>(INT32_MAX)) {
    // Too long for a pooled block's 32-bit capacity: a request that cannot be served.
    ubrReportOrExit(ubrOutOfMemory);
    std::exit(-1);  // not reached: the failure is never handled
  }
  int granted = 0;
  text = static_cast<char*>(poolAlloc(static_cast<int>(bytes), &granted));
  capacity = granted;
  std::memcpy(text, s, bytes);
}
// True when s points into the block that text/capacity own: releasing that block would leave a
// borrow of s dangling.
bool pointsIntoOwnBlock(const char* s, const char* text, int32_t capacity) {
  const auto at = reinterpret_cast<uintptr_t>(s);
  const auto begin = reinterpret_cast<uintptr_t>(text);
  return capacity > 0 && text != nullptr && at >= begin && at < begin + capacity;
}
}  // namespace

OrnString::OrnString(const char* s) {
  if (s != nullptr) copyInto(s, text, capacity);
}

void OrnString::assign(const OrnString& other) {
  if (&other == this) return;
  ORN_TEXT_CHECK(stringIsSound(other));
  if (pointsIntoOwnBlock(other.text, text, capacity)) {
    // other borrows this record's own text: keep a copy, since the block is about to go.
    OrnString copy(other.text);
    clear();
    std::swap(text, copy.text);
    std::swap(capacity, copy.capacity);
    return;
  }
  clear();
  if (other.capacity > 0 && other.text != nullptr) {
    copyInto(other.text, text, capacity);
  } else {
    text = other.text;
  }
}

void OrnString::borrow(const char* s) {
  if (pointsIntoOwnBlock(s, text, capacity)) {
    // A borrow of the own block would dangle once the block is released: copy it instead.
    OrnString copy(s);
    clear();
    std::swap(text, copy.text);
    std::swap(capacity, copy.capacity);
    return;
  }
  clear();
  text = const_cast<char*>(s);
}

void OrnString::clear() {
  ORN_TEXT_CHECK(stringIsSound(*this));
  if (text != nullptr && capacity > 0) {
    void* block = text;
    poolFree(capacity, &block);
  }
  text = nullptr;
  capacity = 0;
}
