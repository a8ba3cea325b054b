// Text between the framework (UTF-8) and the Windows calls (UTF-16), and the system's own words
// for an error code. Shared by the Windows sources of the platform layer only.
#ifndef ORN_PLATFORM_WIN32_SYSTEM_TEXT_H_
#define ORN_PLATFORM_WIN32_SYSTEM_TEXT_H_

#include <windows.h>

#include <string>

// utf8 as UTF-16; a byte that is not part of UTF-8 becomes U+FFFD.
std::wstring widenUtf8(const std::string& utf8);

// The system's message for code, without its trailing full stop and line end, followed by
// " (error N)"; fallback where the system has no message for it.
std::string systemErrorText(DWORD code, const char* fallback);

#endif  // ORN_PLATFORM_WIN32_SYSTEM_TEXT_H_
