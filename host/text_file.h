// Reading the host's own text files (settings, catalogues) whole.
#ifndef ORN_HOST_TEXT_FILE_H_
#define ORN_HOST_TEXT_FILE_H_

#include <cstdint>
#include <string>

// The largest settings file or catalogue the host reads.
constexpr uint64_t textFileSizeLimit = uint64_t{64} << 20;

// The bytes of the regular file at path (UTF-8 name) into *out. False, *out untouched, when path
// names nothing, something that is not a regular file (a directory, a FIFO: never opened, so
// never waited on), a file larger than textFileSizeLimit or one that cannot be read; *why (may
// be null) then says which, as the end of a sentence that starts with the path: "is a directory,
// not a file".
bool readTextFile(const std::string& path, std::string* out, std::string* why = nullptr);

// s without leading and trailing blanks (space, tab, CR, LF).
std::string trimBlanks(const std::string& s);

#endif  // ORN_HOST_TEXT_FILE_H_
