// What both implementations of the child process share: the names of endings and the channel's
// lines.
#include "platform/child_process.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/child_process_lines.h"

namespace {
struct ExceptionName {
  uint32_t code;
  const char* name;
};

// The exception codes a process ends with when a fault is not handled.
constexpr ExceptionName exceptionNames[] = {
    {0x80000002u, "datatype misalignment"},
    {0x80000003u, "breakpoint"},
    {0x80000004u, "single step"},
    {0xC0000005u, "access violation"},
    {0xC0000006u, "in-page error"},
    {0xC0000008u, "invalid handle"},
    {0xC000001Du, "illegal instruction"},
    {0xC0000025u, "noncontinuable exception"},
    {0xC0000026u, "invalid disposition"},
    {0xC000008Cu, "array bounds exceeded"},
    {0xC000008Du, "float denormal operand"},
    {0xC000008Eu, "float divide by zero"},
    {0xC000008Fu, "float inexact result"},
    {0xC0000090u, "float invalid operation"},
    {0xC0000091u, "float overflow"},
    {0xC0000092u, "float stack check"},
    {0xC0000093u, "float underflow"},
    {0xC0000094u, "integer divide by zero"},
    {0xC0000095u, "integer overflow"},
    {0xC0000096u, "privileged instruction"},
    {0xC00000FDu, "stack overflow"},
    {0xC0000135u, "DLL not found"},
    {0xC0000139u, "entry point not found"},
    {0xC0000142u, "DLL initialization failed"},
    {0xC0000374u, "heap corruption"},
    {0xC0000409u, "stack buffer overrun / fail-fast"},
    {0xC0000417u, "invalid C runtime parameter"},
    {0xC0000420u, "assertion failure"},
    {0xE06D7363u, "C++ exception not caught"},
};

std::string hexCode(uint32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
  return text;
}

std::string secondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", seconds);
  return text;
}
}  // namespace

std::string exceptionCodeName(uint32_t code) {
  for (const ExceptionName& known : exceptionNames) {
    if (known.code == code) return known.name;
  }
  return "";
}

ChildEnding endingOfExitCode(uint32_t code) {
  ChildEnding ending;
  if (!exceptionCodeName(code).empty() || (code & 0xF0000000u) == 0xC0000000u) {
    ending.kind = ChildEnding::Kind::exception;
    ending.exceptionCode = code;
  } else {
    ending.kind = ChildEnding::Kind::exited;
    ending.status = static_cast<int>(code);
  }
  return ending;
}

std::string ChildEnding::describe() const {
  switch (kind) {
    case Kind::exited:
      return "exited with status " + std::to_string(status);
    case Kind::signal:
      return "was ended by signal " + std::to_string(signal) + " (" + platformSignalName(signal) +
             ")";
    case Kind::exception: {
      const std::string name = exceptionCodeName(exceptionCode);
      return "was ended by exception " + hexCode(exceptionCode) +
             (name.empty() ? "" : " (" + name + ")");
    }
    case Kind::timedOut:
      return "was stopped after " + secondsText(timeLimit) + " s, its time limit";
  }
  return "ended";
}

void ChannelLines::feed(const char* data, size_t size,
                        const std::function<void(const std::string&)>& line) {
  const char* end = data + size;
  while (data < end) {
    const char* newline = static_cast<const char*>(std::memchr(data, '\n', end - data));
    const char* stop = newline ? newline : end;
    const size_t room = longestLine - pending_.size();
    pending_.append(data, std::min(room, static_cast<size_t>(stop - data)));
    if (newline == nullptr) break;
    if (!pending_.empty() && pending_.back() == '\r') pending_.pop_back();
    line(pending_);
    pending_.clear();
    data = newline + 1;
  }
}

void ChannelLines::finish(const std::function<void(const std::string&)>& line) {
  if (!pending_.empty()) line(pending_);
  pending_.clear();
}
