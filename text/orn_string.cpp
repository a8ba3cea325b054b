#include "text/orn_string.h"

#include <cstring>

#include "pool/pool_binding.h"

OrnString::OrnString(const char* s) {
  if (s == nullptr) return;
  const size_t bytes = std::strlen(s) + 1;
  int granted = 0;
  text = static_cast<char*>(poolAlloc(static_cast<int>(bytes), &granted));
  capacity = granted;
  std::memcpy(text, s, bytes);
}

void OrnString::assign(const OrnString& other) {
  if (&other == this) return;
  clear();
  if (other.capacity > 0 && other.text != nullptr) {
    const size_t bytes = std::strlen(other.text) + 1;
    int granted = 0;
    text = static_cast<char*>(poolAlloc(static_cast<int>(bytes), &granted));
    capacity = granted;
    std::memcpy(text, other.text, bytes);
  } else {
    text = other.text;
  }
}

void OrnString::clear() {
  if (text != nullptr && capacity > 0) {
    void* block = text;
    poolFree(capacity, &block);
  }
  text = nullptr;
  capacity = 0;
}
