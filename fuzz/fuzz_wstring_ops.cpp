// OrnWString's operations on four strings against std::u16string models. A borrowed text (a
// buffer of this run) must never be written.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_input.h"
#include "text/orn_wstring.h"

namespace {

constexpr int kStrings = 4;

void check(const OrnWString& s, const std::u16string& model) {
  expectSame(s.text, model, "OrnWString");
  if (!wideStringIsSound(s)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const std::u16string shared = in.piece();  // borrowed by the strings from time to time
  const std::u16string sharedBefore = shared;
  OrnWString strings[kStrings];
  std::u16string models[kStrings];

  for (int op = 0; op < 64 && !in.done(); ++op) {
    const uint8_t code = in.byte();
    const int a = code % kStrings;
    const int b = (code / kStrings) % kStrings;
    if (models[a].size() + models[b].size() > 4096) continue;  // keep every run short
    switch ((code / 16) % 8) {
      case 0: {  // append another string, or itself
        strings[a].append(strings[b]);
        const std::u16string add = models[b];
        models[a] += add;
        break;
      }
      case 1: {  // replaceRange with positions anywhere, inside or outside the text
        const int32_t start = static_cast<int8_t>(in.byte());
        const int32_t end = static_cast<int8_t>(in.byte());
        OrnWString r = strings[a].replaceRange(start, end, strings[b]);
        const int32_t l = static_cast<int32_t>(models[a].size());
        const int32_t s = start < 0 ? 0 : (start > l ? l : start);
        const int32_t e = end < s ? s : (end > l ? l : end);
        models[a] = models[a].substr(0, s) + models[b] + models[a].substr(e);
        strings[a].assign(r);
        break;
      }
      case 2: {  // a fresh owned text
        const std::u16string piece = in.piece();
        strings[a].assignText(piece.c_str(), -1);
        models[a] = piece;
        break;
      }
      case 3:  // borrow the shared text
        strings[a].assignText(shared.c_str(), 0);
        models[a] = shared;
        break;
      case 4: {  // a counted copy; negative counts other than -1 give the empty string
        const int32_t count = static_cast<int8_t>(in.byte());
        const std::u16string piece = in.piece();
        const int32_t n =
            count > static_cast<int32_t>(piece.size()) ? static_cast<int32_t>(piece.size()) : count;
        if (n == 0) {
          // count 0 borrows; copy the piece instead so the model stays valid after this case
          strings[a].assignText(piece.c_str(), -1);
          models[a] = piece;
        } else {
          strings[a].assignText(piece.c_str(), n);
          models[a] = n == -1 ? piece : (n < 0 ? std::u16string() : piece.substr(0, n));
        }
        break;
      }
      case 5:  // copy assignment, self included
        strings[a] = strings[b];
        models[a] = models[b];
        break;
      case 6: {  // a copy of part of its own text
        const int32_t from = in.byte() % (models[a].size() + 1);
        if (strings[a].text != nullptr) strings[a].assignText(strings[a].text + from, -1);
        models[a] = models[a].substr(static_cast<size_t>(from));
        break;
      }
      default: {  // copy construction, then back
        OrnWString copy(strings[b]);
        strings[a] = copy;
        models[a] = models[b];
        break;
      }
    }
    for (int k = 0; k < kStrings; ++k) check(strings[k], models[k]);
  }
  if (shared != sharedBefore) std::abort();
  return 0;
}
