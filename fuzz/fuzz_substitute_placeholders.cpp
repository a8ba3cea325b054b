// substitutePlaceholders against a model: input is [count][flags] text \0 arg1 \0 arg2 ...
// A flag bit per argument makes it null; the low bit of the count byte's neighbour decides
// whether the text is borrowed (then nothing may change).
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "translation/translator.h"

namespace {

// All placeholders %1..%9 and %: in one pass; at most ten filled, the rest left as text.
std::u16string model(const std::u16string& text, const std::vector<const std::u16string*>& args) {
  std::u16string out;
  int filled = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] != u'%' || i + 1 >= text.size()) {
      out += text[i++];
      continue;
    }
    const char16_t c = text[i + 1];
    if (c >= u'1' && c <= u':' && filled < 10) {
      ++filled;
      const size_t position = static_cast<size_t>(c - u'0');
      if (position <= args.size() && args[position - 1] != nullptr) out += *args[position - 1];
    } else {
      out += text[i];
      out += c;
    }
    i += 2;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const int count = in.byte() % 13;
  const uint8_t flags = in.byte();
  const bool borrowed = (flags & 0x80) != 0;
  const std::u16string text = in.piece();

  std::vector<std::u16string> argTexts(static_cast<size_t>(count));
  std::vector<OrnWString> args(static_cast<size_t>(count));
  std::vector<const OrnWString*> list;
  std::vector<const std::u16string*> modelList;
  for (int k = 0; k < count; ++k) {
    argTexts[k] = in.piece();
    const bool null = k < 7 && (flags >> k & 1) != 0;
    args[k].assignText(argTexts[k].c_str(), -1);
    list.push_back(null ? nullptr : &args[k]);
    modelList.push_back(null ? nullptr : &argTexts[k]);
  }

  OrnWString s;
  if (borrowed) {
    s.assignText(text.c_str(), 0);
  } else {
    s.assignText(text.c_str(), -1);
  }
  substitutePlaceholders(s, list.data(), count);
  if (borrowed) {
    if (s.text != text.c_str() || s.capacity != 0) std::abort();
    expectSame(s.text, text, "borrowed text");
  } else {
    expectSame(s.text, model(text, modelList), "substitutePlaceholders");
    if (s.capacity < static_cast<int32_t>((std::u16string(s.text).size() + 1) * 2)) std::abort();
  }
  return 0;
}
