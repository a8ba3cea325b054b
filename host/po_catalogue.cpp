#include "host/po_catalogue.h"

#include <sstream>

#include "host/text_file.h"

namespace {
// Parses one quoted C-style string at s[*pos] == '"'; advances *pos past the closing quote.
bool parseOneQuoted(const std::string& s, size_t* pos, std::string* value, std::string* why) {
  size_t i = *pos + 1;
  for (; i < s.size() && s[i] != '"'; ++i) {
    if (s[i] != '\\') {
      *value += s[i];
      continue;
    }
    if (++i >= s.size()) break;
    switch (s[i]) {
      case 'n':
        *value += '\n';
        break;
      case 't':
        *value += '\t';
        break;
      case 'r':
        *value += '\r';
        break;
      case '"':
        *value += '"';
        break;
      case '\\':
        *value += '\\';
        break;
      case 'a':
        *value += '\a';
        break;
      case 'b':
        *value += '\b';
        break;
      case 'f':
        *value += '\f';
        break;
      case 'v':
        *value += '\v';
        break;
      default:
        *why = std::string("unknown escape '\\") + s[i] + "'";
        return false;
    }
  }
  if (i >= s.size()) {
    *why = "string without closing quote";
    return false;
  }
  *pos = i + 1;
  return true;
}

// Parses one or more quoted strings separated by blanks (they are joined), and nothing else.
bool parseQuoted(const std::string& s, std::string* out, std::string* why) {
  if (s.empty() || s[0] != '"') {
    *why = "expected a quoted string";
    return false;
  }
  std::string value;
  size_t pos = 0;
  while (pos < s.size()) {
    if (s[pos] == ' ' || s[pos] == '\t') {
      ++pos;
    } else if (s[pos] == '"') {
      if (!parseOneQuoted(s, &pos, &value, why)) return false;
    } else {
      *why = "text after the closing quote";
      return false;
    }
  }
  *out = value;
  return true;
}

std::string listOf(const std::set<int>& positions) {
  std::string out;
  for (int p : positions) out += (out.empty() ? "%" : ", %") + std::to_string(p);
  return out;
}

// One entry as it is being read.
struct PendingEntry {
  std::string context;
  std::string msgid;
  std::string msgstr;
  bool hasContext = false;
  bool hasId = false;
  bool hasStr = false;
  bool fuzzy = false;
  bool broken = false;  // a string of it was malformed and reported
  int line = 0;
};
}  // namespace

std::string CatalogueProblem::toString() const {
  return file + ":" + std::to_string(line) + ": " + message;
}

std::set<int> placeholdersOf(const std::string& text) {
  std::set<int> positions;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '%') continue;
    const char c = text[i + 1];
    if (c == '1' && i + 2 < text.size() && text[i + 2] == '0') {
      positions.insert(10);
      i += 2;
    } else if (c >= '1' && c <= '9') {
      positions.insert(c - '0');
      ++i;
    } else if (c == ':') {
      positions.insert(10);
      ++i;
    } else {
      ++i;  // "%%" and "%x": the unit after '%' never starts a placeholder
    }
  }
  return positions;
}

bool PoCatalogue::loadFile(const std::string& path, std::vector<CatalogueProblem>* problems) {
  std::string text;
  std::string why;
  if (!readTextFile(path, &text, &why)) {
    problems->push_back({path, 0, "cannot read the catalogue: it " + why});
    return false;
  }
  return loadText(text, path, problems);
}

bool PoCatalogue::loadText(const std::string& text, const std::string& name,
                           std::vector<CatalogueProblem>* problems) {
  const size_t before = problems->size();
  std::istringstream in(text);
  PendingEntry entry;
  bool pendingFuzzy = false;
  std::string* continued = nullptr;  // the field that a bare "..." line continues
  int lineNumber = 0;

  const auto finish = [&]() {
    if (!entry.hasId) {
      entry = PendingEntry();
      return;
    }
    if (entry.broken) {
      // already reported
    } else if (!entry.hasStr) {
      problems->push_back({name, entry.line, "msgid without msgstr"});
    } else if (entry.msgid.empty() && !entry.hasContext) {
      const size_t at = entry.msgstr.find("Language:");
      if (at != std::string::npos) {
        const size_t end = entry.msgstr.find('\n', at);
        language_ =
            trimBlanks(entry.msgstr.substr(at + 9, end == std::string::npos ? end : end - at - 9));
      }
    } else if (!entry.fuzzy && !entry.msgstr.empty()) {
      const std::set<int> source = placeholdersOf(entry.msgid);
      const std::set<int> translated = placeholdersOf(entry.msgstr);
      if (source != translated) {
        std::string message =
            "translation of \"" + entry.msgid + "\" does not keep its placeholders";
        std::set<int> missing, added;
        for (int p : source)
          if (!translated.count(p)) missing.insert(p);
        for (int p : translated)
          if (!source.count(p)) added.insert(p);
        if (!missing.empty()) message += "; missing " + listOf(missing);
        if (!added.empty()) message += "; not in the source " + listOf(added);
        problems->push_back({name, entry.line, message + " (entry not used)"});
      } else {
        const std::string key =
            entry.hasContext ? entry.context + '\x04' + entry.msgid : entry.msgid;
        entries_[key] = entry.msgstr;
      }
    }
    entry = PendingEntry();
  };

  std::string raw;
  while (std::getline(in, raw)) {
    ++lineNumber;
    if (lineNumber == 1 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) raw.erase(0, 3);
    const std::string line = trimBlanks(raw);
    const auto problem = [&](const std::string& message) {
      problems->push_back({name, lineNumber, message});
    };
    if (line.empty()) {
      continued = nullptr;
      continue;
    }
    if (line[0] == '#') {
      if (line.compare(0, 2, "#,") == 0 && line.find("fuzzy") != std::string::npos) {
        pendingFuzzy = true;
      }
      continued = nullptr;
      continue;
    }
    std::string why;
    if (line[0] == '"') {
      std::string piece;
      if (continued == nullptr) {
        problem("a string that continues nothing");
      } else if (!parseQuoted(line, &piece, &why)) {
        problem(why);
      } else {
        *continued += piece;
      }
      continue;
    }
    const size_t space = line.find_first_of(" \t");
    const std::string keyword = line.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : trimBlanks(line.substr(space));
    std::string value;
    if (keyword == "msgctxt" || keyword == "msgid") {
      // A new entry starts at msgctxt, or at msgid unless a msgctxt just opened it.
      if (keyword == "msgctxt" || !(entry.hasContext && !entry.hasId)) finish();
    }
    if (!parseQuoted(rest, &value, &why)) {
      problem(keyword + ": " + why);
      if (entry.hasId || keyword == "msgid" || keyword == "msgctxt") entry.broken = true;
      continued = nullptr;
      continue;
    }
    if (keyword == "msgctxt") {
      entry.hasContext = true;
      entry.context = value;
      entry.fuzzy = pendingFuzzy;
      entry.line = lineNumber;
      continued = &entry.context;
    } else if (keyword == "msgid") {
      entry.hasId = true;
      entry.msgid = value;
      if (!entry.hasContext) {
        entry.fuzzy = pendingFuzzy;
        entry.line = lineNumber;
      }
      pendingFuzzy = false;
      continued = &entry.msgid;
    } else if (keyword == "msgid_plural") {
      continued = nullptr;  // the plural source is not looked up
      if (!entry.hasId) problem("msgid_plural without msgid");
    } else if (keyword == "msgstr" || keyword == "msgstr[0]") {
      if (!entry.hasId) {
        problem(keyword + " without msgid");
        continued = nullptr;
        continue;
      }
      entry.hasStr = true;
      entry.msgstr = value;
      continued = &entry.msgstr;
    } else if (keyword.compare(0, 7, "msgstr[") == 0) {
      continued = nullptr;  // further plural forms are not used
    } else {
      problem("unknown keyword '" + keyword + "'");
      continued = nullptr;
    }
  }
  finish();
  return problems->size() == before;
}

const std::string* PoCatalogue::find(const std::string& msgid) const {
  auto it = entries_.find(msgid);
  return it == entries_.end() ? nullptr : &it->second;
}

const std::string* PoCatalogue::find(const char* msgid) const {
  if (msgid == nullptr) return nullptr;
  auto it = entries_.find(msgid);
  return it == entries_.end() ? nullptr : &it->second;
}
