// Output of text that came from a module or the user (names, stamps, paths, messages, catalogue
// text): safe on a terminal in text mode, valid JSON with --json, whatever the bytes.
#ifndef ORN_HOST_CLI_SAFE_TEXT_H_
#define ORN_HOST_CLI_SAFE_TEXT_H_

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

// Whether text is well-formed UTF-8 (no overlong forms, surrogates or code points past U+10FFFF).
bool isValidUtf8(std::string_view text);

// text as one line a terminal shows as it stands: C0 controls, DEL and bytes that are not UTF-8
// become "\x1b"-style escapes (newline, carriage return and tab "\n", "\r", "\t"), C1 controls
// "\u009b"-style ones; everything else, backslashes included, is kept. No escape sequence, and no
// line that looks like one of orn-host's own, can come through.
std::string safeText(std::string_view text);

// text that may hold lines of its own (a module's message): escaped as safeText, but each line
// end (LF or CR LF) becomes a newline followed by indent, so that continuation lines stand
// indented under the first. A CR on its own is still escaped.
std::string safeLines(std::string_view text, std::string_view indent);

// The document as orn-host prints it: indented by two, non-ASCII kept, and every string or key that
// is not UTF-8 with its bad bytes replaced by U+FFFD. When something was replaced, an object
// document says so with "invalidUtf8": true. No trailing newline.
std::string jsonOutput(const nlohmann::json& document);

// Where printJsonDocument writes: stdout unless set here. The module's process sets a stream on
// its original stdout, kept apart from what the module itself prints.
void setJsonDocumentStream(std::FILE* stream);
// Prints document as jsonOutput renders it and a newline, and flushes.
void printJsonDocument(const nlohmann::json& document);

#endif  // ORN_HOST_CLI_SAFE_TEXT_H_
