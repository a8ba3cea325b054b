// Reading the host's own text files (settings, catalogues) whole.
#ifndef ORN_HOST_TEXT_FILE_H_
#define ORN_HOST_TEXT_FILE_H_

#include <string>

// The bytes of the file at path (UTF-8 name) into *out; false when it cannot be read.
bool readTextFile(const std::string& path, std::string* out);

// s without leading and trailing blanks (space, tab, CR, LF).
std::string trimBlanks(const std::string& s);

#endif  // ORN_HOST_TEXT_FILE_H_
