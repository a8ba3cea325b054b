// Conversions between UTF-8 (the host's files, options and output) and the framework's UTF-16
// strings.
#ifndef ORN_HOST_WIDE_TEXT_H_
#define ORN_HOST_WIDE_TEXT_H_

#include <cstdio>
#include <string>

#include "text/orn_wstring.h"

// UTF-8 of a UTF-16 text; a lone surrogate becomes U+FFFD. Null gives "".
std::string toUtf8(const char16_t* text);
inline std::string toUtf8(const OrnWString& text) { return toUtf8(text.text); }

// UTF-16 of a UTF-8 text. False (and *out untouched) when utf8 is not valid UTF-8.
bool fromUtf8(const std::string& utf8, std::u16string* out);

// An owned OrnWString holding utf8 decoded; invalid UTF-8 bytes are taken one by one as
// Latin-1 units, so nothing is lost.
OrnWString makeWide(const std::string& utf8);

// Writes text as UTF-8 to stream without allocating (through a buffer on the stack), as toUtf8
// converts it. For the roads where memory has run out; null text writes nothing.
void writeUtf8(std::FILE* stream, const char16_t* text) noexcept;

#endif  // ORN_HOST_WIDE_TEXT_H_
