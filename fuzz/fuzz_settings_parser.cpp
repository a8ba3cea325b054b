// The host's settings-file parser on any text: every problem names a line of the text; what was
// taken is valid UTF-8 and reaches a module unchanged as UTF-16; and the settings written back
// as a file read in again, without problems, to the very same values. The input's last bytes
// also go through the command line's KEY=VALUE form.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "host/settings_store.h"
#include "host/wide_text.h"

namespace {

void fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "settings: %s: %s\n", what, detail.c_str());
  std::abort();
}

// Can name stand alone on a "name = value" line and be read back as exactly itself?
bool isWritableName(const std::string& name) {
  if (name.empty() || name.find('=') != std::string::npos) return false;
  if (name.find('\n') != std::string::npos) return false;
  const char first = name.front(), last = name.back();
  if (first == ';' || first == '#' || first == '[') return false;
  const std::string blanks = " \t\r\n";
  return blanks.find(first) == std::string::npos && blanks.find(last) == std::string::npos;
}

bool isWritableSection(const std::string& title) {
  if (title.empty() || title.find('\n') != std::string::npos) return false;
  const std::string blanks = " \t\r\n";
  return blanks.find(title.front()) == std::string::npos &&
         blanks.find(title.back()) == std::string::npos;
}

// The settings as a file: keys without a section first, then "[section]" groups. A key that was
// read from a section is split back at one of its '/' so that both halves can be written.
std::string asFile(const std::map<std::string, std::string>& values) {
  std::string plain, sectioned;
  for (const auto& [key, value] : values) {
    const std::string line = " = \"" + value + "\"\n";
    if (isWritableName(key)) {
      plain += key + line;
      continue;
    }
    bool written = false;
    for (size_t slash = key.find('/'); slash != std::string::npos && !written;
         slash = key.find('/', slash + 1)) {
      const std::string section = key.substr(0, slash), name = key.substr(slash + 1);
      if (isWritableSection(section) && isWritableName(name)) {
        sectioned += "[" + section + "]\n" + name + line;
        written = true;
      }
    }
    if (!written) fail("a key that cannot be written back", key);
  }
  // A first line of its own: a name there could start with what reads as a byte order mark.
  return "; written back\n" + plain + sectioned;
}

int lineCount(const std::string& text) {
  int lines = 1;
  for (char c : text) lines += c == '\n';
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  HostSettings settings;
  std::vector<SettingsProblem> problems;
  const bool clean = settings.loadText(text, "fuzz.ini", &problems);
  if (clean != problems.empty()) fail("result and problems disagree", text);
  const int lines = lineCount(text);
  for (const SettingsProblem& p : problems) {
    if (p.line < 1 || p.line > lines) fail("problem outside the text", p.toString());
  }

  const std::map<std::string, std::string> values = settings.values();
  for (const auto& [key, value] : values) {
    std::u16string wide;
    if (key.empty() || !fromUtf8(value, &wide)) fail("a bad key or value was taken", key);
    if (key.find('\0') != std::string::npos) continue;  // unreachable through a C string key
    if (toUtf8(settings.stringValue(key.c_str(), 0)) != value) fail("value to a module", key);
  }

  HostSettings again;
  std::vector<SettingsProblem> againProblems;
  const std::string file = asFile(values);
  if (!again.loadText(file, "again.ini", &againProblems)) {
    fail("written settings read back with problems", againProblems[0].toString());
  }
  if (again.values() != values) fail("written settings read back differently", file);

  // The command line's form: the text's last line as KEY=VALUE.
  const size_t newline = text.rfind('\n');
  const std::string pair = newline == std::string::npos ? text : text.substr(newline + 1);
  std::vector<SettingsProblem> pairProblems;
  HostSettings fromPair;
  if (fromPair.setPair(pair, &pairProblems)) {
    const size_t eq = pair.find('=');
    const std::string value = pair.substr(eq + 1);
    bool found = false;
    for (const auto& [key, v] : fromPair.values()) found = found || v == value;
    if (!found) fail("a --set value was lost", pair);
  } else if (pairProblems.size() != 1) {
    fail("a refused --set pair gave no single problem", pair);
  }
  return 0;
}
