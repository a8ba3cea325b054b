// OrnString: the framework's narrow text record, shared with the host.
#ifndef ORN_TEXT_ORN_STRING_H_
#define ORN_TEXT_ORN_STRING_H_

#include <cstddef>
#include <cstdint>

// Layout shared with the host: {text, capacity}.
// capacity > 0: text is a pooled block of exactly `capacity` usable bytes that this record owns
//               and alone releases (poolFree).
// capacity 0:   text is borrowed (or null); never written, never released; it must outlive the
//               record.
// Copies of owned text are deep; copies of borrowed text share it. Not synchronised.
class OrnString {
 public:
  char* text = nullptr;
  int32_t capacity = 0;

  OrnString() = default;
  // Owned copy of s (null s gives the empty string).
  explicit OrnString(const char* s);
  OrnString(const OrnString& other) { assign(other); }
  OrnString(OrnString&& other) noexcept : text(other.text), capacity(other.capacity) {
    other.text = nullptr;
    other.capacity = 0;
  }
  OrnString& operator=(const OrnString& other) {
    assign(other);
    return *this;
  }
  ~OrnString() { clear(); }

  // A record that borrows s; s must outlive it.
  static OrnString borrowing(const char* s) {
    OrnString r;
    r.text = const_cast<char*>(s);
    return r;
  }
  // Releases what the record owns, then borrows s. Text inside the record's own block is copied
  // instead, since that block is released.
  void borrow(const char* s);
  // Copy assignment: owned text is copied into a new pooled block sized strlen + 1, borrowed text
  // is shared (copied when it lies in this record's own block). Self-assignment does nothing.
  void assign(const OrnString& other);
  // Releases owned text; text null, capacity 0 afterwards in every case.
  void clear();

  bool isOwned() const { return capacity > 0; }
  const char* c_str() const { return text ? text : ""; }
};

// Ownership check: capacity is not negative, and an owned text is non-null and ends with a NUL
// inside its block. Reads nothing outside an owned block.
bool stringIsSound(const OrnString& s);

static_assert(offsetof(OrnString, capacity) == sizeof(void*), "OrnString layout: {text, capacity}");
static_assert(sizeof(OrnString) == 2 * sizeof(void*), "OrnString layout: {text, capacity}");

#endif  // ORN_TEXT_ORN_STRING_H_
