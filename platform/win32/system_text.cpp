#include "platform/win32/system_text.h"

#include "platform/utf.h"

std::wstring widenUtf8(const std::string& utf8) {
  std::u16string wide;
  size_t i = 0;
  while (i < utf8.size()) {
    uint32_t c = 0;
    if (!decodeUtf8(utf8, i, &c)) {
      c = 0xFFFD;
      ++i;
    }
    appendUtf16(wide, c);
  }
  return std::wstring(wide.begin(), wide.end());
}

std::string systemErrorText(DWORD code, const char* fallback) {
  char* text = nullptr;
  FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string message = text ? text : "";
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == '.' || message.back() == ' ')) {
    message.pop_back();
  }
  return (message.empty() ? fallback : message) + " (error " + std::to_string(code) + ")";
}
