// Conversions between UTF-16 (the framework's wide text) and UTF-8 (POSIX paths, host files and
// output). Pure functions; thread-safe.
#ifndef ORN_PLATFORM_UTF_H_
#define ORN_PLATFORM_UTF_H_

#include <cstdint>
#include <string>

// UTF-8 of a zero-terminated UTF-16 text; surrogate pairs are joined, a lone surrogate becomes
// U+FFFD. Null gives "".
std::string utf8FromUtf16(const char16_t* text);

// The code point at p in a zero-terminated UTF-16 text, p advanced past it: a surrogate pair is
// joined, a lone surrogate becomes U+FFFD. REQUIRES: *p != 0. Allocates nothing.
uint32_t nextUtf16CodePoint(const char16_t*& p);

// Writes c (at most 0x10FFFF) as UTF-8 into out, which has room for 4 bytes; answers the number
// of bytes written. Allocates nothing.
int encodeUtf8(uint32_t c, char* out);

// Decodes one UTF-8 sequence at s[i] into *c and advances i. False (i unchanged) on a malformed,
// overlong or surrogate sequence.
bool decodeUtf8(const std::string& s, size_t& i, uint32_t* c);

// Appends code point c (at most 0x10FFFF) as one or two UTF-16 units.
void appendUtf16(std::u16string& out, uint32_t c);

#endif  // ORN_PLATFORM_UTF_H_
