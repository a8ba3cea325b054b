// The host's PO catalogue parser. Input whose first byte is even is taken as a raw file: every
// problem names a line of it and a second reading finds the same. Otherwise the input describes
// entries (context, fuzzy mark, source, translation, strings split over lines, plural forms, any
// bytes that need escapes), which are written as a PO file and read back: the catalogue must hold
// exactly the entries gettext would use, and report exactly the translations that lose or add a
// placeholder, at their lines.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "host/po_catalogue.h"

namespace {

void fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "catalogue: %s\n%s\n", what, detail.c_str());
  std::abort();
}

std::string narrowPiece(FuzzInput& in) {
  std::string out;
  for (char16_t unit : in.piece()) out += static_cast<char>(unit);
  return out;
}

int lineCount(const std::string& text) {
  int lines = 1;
  for (char c : text) lines += c == '\n';
  return lines;
}

// A C-style quoted string; `style` picks which optional escapes are used.
std::string quoted(const std::string& value, uint8_t style) {
  std::string out = "\"";
  for (char c : value) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += (style & 1) ? "\\t" : "\t";
        break;
      case '\r':
        out += (style & 2) ? "\\r" : "\r";
        break;
      case '\a':
        out += "\\a";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\v':
        out += "\\v";
        break;
      default:
        out += c;
    }
  }
  return out + "\"";
}

// keyword and value, the value split over two lines when split is set.
std::string field(const std::string& keyword, const std::string& value, bool split, uint8_t style) {
  if (!split) return keyword + " " + quoted(value, style) + "\n";
  const size_t half = value.size() / 2;
  return keyword + " " + quoted(value.substr(0, half), style) + "\n" +
         quoted(value.substr(half), style) + "\n";
}

void checkRaw(const std::string& text) {
  PoCatalogue catalogue;
  std::vector<CatalogueProblem> problems;
  const bool clean = catalogue.loadText(text, "fuzz.po", &problems);
  if (clean != problems.empty()) fail("result and problems disagree", text);
  const int lines = lineCount(text);
  for (const CatalogueProblem& p : problems) {
    if (p.line < 1 || p.line > lines) fail("problem outside the text", p.toString());
  }
  PoCatalogue again;
  std::vector<CatalogueProblem> againProblems;
  again.loadText(text, "fuzz.po", &againProblems);
  if (again.size() != catalogue.size() || againProblems.size() != problems.size()) {
    fail("a second reading differs", text);
  }
}

void checkEntries(FuzzInput& in) {
  std::string file;
  int line = 1;
  const auto add = [&file, &line](const std::string& text) {
    file += text;
    line += lineCount(text) - 1;
  };
  std::map<std::string, std::string> expected;
  std::vector<int> expectedProblemLines;
  const int count = in.byte() % 16;
  for (int i = 0; i < count && !in.done(); ++i) {
    const uint8_t flags = in.byte();
    const bool hasContext = flags & 1, fuzzy = flags & 2, split = flags & 4, plural = flags & 8;
    const std::string context = narrowPiece(in);
    const std::string source = narrowPiece(in);
    const std::string translation = (flags & 16) ? std::string() : narrowPiece(in);
    const uint8_t style = flags >> 5;

    add("# entry " + std::to_string(i) + "\n");
    if (fuzzy) add("#, fuzzy\n");
    const int entryLine = line;
    if (hasContext) add(field("msgctxt", context, split, style));
    add(field("msgid", source, split, style));
    if (plural) {
      add(field("msgid_plural", source + "s", false, style));
      add(field("msgstr[0]", translation, split, style));
      add(field("msgstr[1]", "another form %9", false, style));
    } else {
      add(field("msgstr", translation, split, style));
    }
    add("\n");

    if (!hasContext && source.empty()) continue;  // the header
    if (fuzzy || translation.empty()) continue;
    if (placeholdersOf(source) != placeholdersOf(translation)) {
      expectedProblemLines.push_back(entryLine);
      continue;
    }
    expected[hasContext ? context + '\x04' + source : source] = translation;
  }

  PoCatalogue catalogue;
  std::vector<CatalogueProblem> problems;
  catalogue.loadText(file, "entries.po", &problems);
  if (problems.size() != expectedProblemLines.size()) fail("problems", file);
  for (size_t i = 0; i < problems.size(); ++i) {
    if (problems[i].line != expectedProblemLines[i]) fail("problem line", file);
  }
  if (catalogue.size() != expected.size()) fail("number of entries", file);
  for (const auto& [key, translation] : expected) {
    const std::string* found = catalogue.find(key);
    if (found == nullptr || *found != translation) fail("an entry", file);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  if ((data[0] & 1) == 0) {
    checkRaw(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    return 0;
  }
  FuzzInput in(data + 1, size - 1);
  checkEntries(in);
  return 0;
}
