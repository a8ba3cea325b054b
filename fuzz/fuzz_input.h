// Reading a fuzz input: bytes become 16-bit units by zero extension, so that '%', digits and ':'
// turn up often; a zero byte ends a piece.
#ifndef ORN_FUZZ_FUZZ_INPUT_H_
#define ORN_FUZZ_FUZZ_INPUT_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool done() const { return pos_ >= size_; }
  // The next byte, or 0 once the input is used up.
  uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  // Units up to the next zero byte (which is consumed) or the end of the input.
  std::u16string piece() {
    std::u16string units;
    while (pos_ < size_ && data_[pos_] != 0) units += static_cast<char16_t>(data_[pos_++]);
    if (pos_ < size_) ++pos_;
    return units;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// Ends the run with a message when a result differs from the model.
inline void expectSame(const char16_t* got, const std::u16string& want, const char* what) {
  const std::u16string actual = got != nullptr ? std::u16string(got) : std::u16string();
  if (actual == want) return;
  std::fprintf(stderr, "%s: result differs from the model (%zu units, want %zu)\n", what,
               actual.size(), want.size());
  std::abort();
}

#endif  // ORN_FUZZ_FUZZ_INPUT_H_
