#include "text/orn_string.h"

#include <cstring>

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
  int granted = 0;
  text = static_cast<char*>(poolAlloc(static_cast<int>(bytes), &granted));
  capacity = granted;
  std::memcpy(text, s, bytes);
}
}  // namespace

OrnString::OrnString(const char* s) {
  if (s != nullptr) copyInto(s, text, capacity);
}

void OrnString::assign(const OrnString& other) {
  if (&other == this) return;
  ORN_TEXT_CHECK(stringIsSound(other));
  clear();
  if (other.capacity > 0 && other.text != nullptr) {
    copyInto(other.text, text, capacity);
  } else {
    text = other.text;
  }
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
