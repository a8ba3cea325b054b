// Sizes typed on the command line, such as --memory-reserve 8M.
#ifndef ORN_HOST_CLI_BYTE_SIZE_H_
#define ORN_HOST_CLI_BYTE_SIZE_H_

#include <cstdint>
#include <string>

// Reads text as a whole number of bytes, optionally followed by a unit: B, or K, M, G, T, P, E
// (powers of 1024), each optionally followed by B or iB ("8M", "8 MiB", "8mb"); letters in any
// case, blanks around the number and the unit. False, *bytes untouched, with *error saying what
// is wrong with the quoted text: empty, a sign, a fraction or other characters, an unknown unit,
// or a size beyond 2^64 - 1 bytes.
bool parseByteSize(const std::string& text, uint64_t* bytes, std::string* error);

#endif  // ORN_HOST_CLI_BYTE_SIZE_H_
