// OrnWString: the framework's wide (UTF-16 code unit) text record, shared with the host.
#ifndef ORN_TEXT_ORN_WSTRING_H_
#define ORN_TEXT_ORN_WSTRING_H_

#include <cstddef>
#include <cstdint>

// Layout shared with the host: {text, capacity, aux1, aux1Capacity, aux2, aux2Capacity}.
// Ownership as OrnString: capacity > 0 is an owned pooled block of that many bytes, 0 is borrowed
// (never written, never released). Null text is the empty string. The length is never stored.
// The module never fills the auxiliary buffers; it releases them when owned.
// A string is used by one thread at a time.
class OrnWString {
 public:
  char16_t* text = nullptr;
  int32_t capacity = 0;
  void* aux1 = nullptr;
  int32_t aux1Capacity = 0;
  void* aux2 = nullptr;
  int32_t aux2Capacity = 0;

  OrnWString() = default;
  // Zero-extends every byte of s (no code page): byte b becomes unit b.
  explicit OrnWString(const char* s);
  // Copies text as assign does; aux1 is shared only when it is borrowed; aux2 is never copied.
  OrnWString(const OrnWString& other);
  OrnWString(OrnWString&& other) noexcept;
  OrnWString& operator=(const OrnWString& other) {
    assign(other);
    return *this;
  }
  // Takes over other's text (owned or borrowed) without copying; auxiliary buffers stay where
  // they are, as with assign.
  OrnWString& operator=(OrnWString&& other) noexcept {
    takeText(other);
    return *this;
  }
  ~OrnWString();

  // The one-character string c.
  static OrnWString fromChar(char c);

  // Releases the owned text, then null s: empty; otherwise an owned zero-extended copy.
  void assignNarrow(const char* s);
  // Null src: empty; count 0: borrows src; count -1: the length of src; count > 0: an owned copy
  // of count units plus a terminator; any other negative count: empty. The old owned text is
  // released after the copy is made, so src may point into it (a borrow of the own block is
  // copied instead).
  void assignText(const char16_t* src, int32_t count);
  // Deep copy of owned text, sharing of borrowed text; auxiliary buffers left as they are.
  void assign(const OrnWString& other);
  // Appends other's text, reusing the own block when it is owned and large enough. Returns *this.
  OrnWString& append(const OrnWString& other);
  // A new string: units [0, start), insert's text, units [end, length]. Positions are clamped so
  // that 0 <= start <= end <= length; nothing outside the text is ever read or written.
  OrnWString replaceRange(int32_t start, int32_t end, const OrnWString& insert) const;

  int32_t length() const;
  bool empty() const { return text == nullptr || text[0] == 0; }
  // Releases the owned text; text null and capacity 0 afterwards.
  void releaseText();
  // Releases the own text, then takes over other's text and capacity; other's text becomes null.
  // Auxiliary buffers of both are left as they are.
  void takeText(OrnWString& other);
};

// The number of units before the first zero unit; 0 for null.
int32_t wideLength(const char16_t* s);

// Ownership check: capacities are not negative; an owned text or auxiliary buffer is non-null;
// an owned text ends with a zero unit inside its block. Reads nothing outside an owned block.
bool wideStringIsSound(const OrnWString& s);

static_assert(offsetof(OrnWString, capacity) == sizeof(void*), "OrnWString layout");
static_assert(offsetof(OrnWString, aux1) == 2 * sizeof(void*), "OrnWString layout");
static_assert(offsetof(OrnWString, aux2) == 4 * sizeof(void*), "OrnWString layout");
static_assert(sizeof(OrnWString) == 6 * sizeof(void*), "OrnWString layout");

#endif  // ORN_TEXT_ORN_WSTRING_H_
