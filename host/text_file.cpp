#include "host/text_file.h"

#include "platform/read_only_file.h"

bool readTextFile(const std::string& path, std::string* out, std::string* why) {
  std::string reason;
  ReadOnlyFile file;
  PathKind kind = PathKind::missing;
  if (!file.open(path, &kind, &reason)) {
    if (why) {
      *why = kind == PathKind::missing ? "no such file"
             : kind == PathKind::unreadable
                 ? "cannot be read" + (reason.empty() ? "" : " (" + reason + ")")
                 : "is " + std::string(pathKindText(kind)) + ", not a file";
    }
    return false;
  }
  if (file.size() > textFileSizeLimit) {
    if (why) {
      *why = "has " + std::to_string(file.size()) + " bytes, more than the " +
             std::to_string(textFileSizeLimit) + " a text file of the host may have";
    }
    return false;
  }
  std::string text(static_cast<size_t>(file.size()), '\0');
  const size_t got = file.readAt(0, &text[0], text.size());
  if (got != text.size()) {
    if (why) *why = "cannot be read to its end";
    return false;
  }
  *out = std::move(text);
  return true;
}

std::string trimBlanks(const std::string& s) {
  const char* blanks = " \t\r\n";
  const size_t first = s.find_first_not_of(blanks);
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}
