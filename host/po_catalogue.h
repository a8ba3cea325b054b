// PoCatalogue: message catalogues in the gettext PO format, with a check that every translation
// keeps the placeholders of its source text.
#ifndef ORN_HOST_PO_CATALOGUE_H_
#define ORN_HOST_PO_CATALOGUE_H_

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

// A problem found while reading a catalogue: a malformed line, or an entry whose translation
// does not keep the placeholders of its source text.
struct CatalogueProblem {
  std::string file;
  int line;  // of the entry's msgid, or of the bad line
  std::string message;
  std::string toString() const;  // "FILE:LINE: message"
};

// The placeholders %1 .. %10 of a text: '%' with '1'..'9' is a position, "%10" and "%:" are
// position 10, "%%" is a literal percent sign and never starts a placeholder.
std::set<int> placeholdersOf(const std::string& text);

// Entries map a msgid to its msgstr, both UTF-8 with escapes resolved. Entries marked fuzzy,
// entries with an empty msgstr and the header entry (msgid "") are not used, as gettext does; an
// entry with a context (msgctxt) is kept under "context\x04msgid". For plural entries msgstr[0]
// is used for the singular. An entry whose translation drops a placeholder of its source, or
// adds one the source does not have, is reported and not used: showing it would lose an argument.
// Not synchronised: load first, then look up from any thread.
class PoCatalogue {
 public:
  // False when the file cannot be read or had problems (the good entries are kept).
  bool loadFile(const std::string& path, std::vector<CatalogueProblem>* problems);
  bool loadText(const std::string& text, const std::string& name,
                std::vector<CatalogueProblem>* problems);

  // The translation of msgid, or null.
  const std::string* find(const std::string& msgid) const;
  // The same for a zero-terminated msgid, looked up without a copy (no allocation).
  const std::string* find(const char* msgid) const;
  size_t size() const { return entries_.size(); }
  // The catalogue's language, from the header's "Language:" field; may be empty.
  const std::string& language() const { return language_; }

 private:
  std::map<std::string, std::string, std::less<>> entries_;
  std::string language_;
};

#endif  // ORN_HOST_PO_CATALOGUE_H_
