// replacePlaceholder for positions 1..count in order (the counted translate operation) against
// a model: input is [count] text \0 arg1 \0 arg2 ...
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "translation/translator.h"

namespace {

void modelReplace(std::u16string& s, int n, const std::u16string& arg) {
  std::u16string pattern = u"%";
  for (char c : std::to_string(n)) pattern += static_cast<char16_t>(c);
  const size_t at = s.find(pattern);
  if (at != std::u16string::npos) s.replace(at, pattern.size(), arg);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const int count = in.byte() % 128;
  const std::u16string text = in.piece();
  std::vector<std::u16string> argTexts;
  std::vector<OrnWString> args(static_cast<size_t>(count));
  for (int k = 0; k < count; ++k) {
    // Inputs run out long before 127 arguments: the rest are empty, as null arguments are.
    argTexts.push_back(in.piece());
    if (!argTexts.back().empty()) args[k].assignText(argTexts.back().c_str(), -1);
  }

  OrnWString s;
  s.assignText(text.c_str(), -1);
  std::u16string want = text;
  for (int n = 1; n <= count; ++n) {
    replacePlaceholder(s, n, (n & 1) != 0 ? &args[n - 1] : nullptr);
    modelReplace(want, n, (n & 1) != 0 ? argTexts[n - 1] : std::u16string());
    // Arguments may bring new placeholders; keep the text from growing without bound.
    if (want.size() > 4096) return 0;
  }
  expectSame(s.text, want, "replacePlaceholder");
  return 0;
}
