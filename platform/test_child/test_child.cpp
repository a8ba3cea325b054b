// The program platform/child_process_test.cpp starts: it ends in the way its first argument
// names, so that the test sees every ending a real child can have.
//   exit N             "out" on stdout, "err" on stderr, then exit(N)
//   abort              abort()
//   null-write         a write through a null pointer
//   loud null-write    the same without platformQuietFaults
//   raise CODE         (Windows) raises the exception CODE (hex), which nothing handles
//   sleep              never ends by itself
//   echo ARGS...       each argument on a line of stdout
//   channel N LINES... each of LINES on the channel N
//   steps N K SECONDS  K lines "step i" on channel N, SECONDS apart, then exit(0)
//   long N BYTES       one line of BYTES 'x' on channel N, then exit(0)
//   stray              starts "sleep" with this program's stdout, then exits at once
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "platform/command_line.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <time.h>
#include <unistd.h>
#endif

namespace {
void pause(double seconds) {
#if defined(_WIN32)
  Sleep(static_cast<DWORD>(seconds * 1000));
#else
  timespec wait{
      static_cast<time_t>(seconds),
      static_cast<long>((seconds - static_cast<double>(static_cast<time_t>(seconds))) * 1e9)};
  nanosleep(&wait, nullptr);
#endif
}

int stray(const std::string& self) {
#if defined(_WIN32)
  std::wstring line = L"\"";
  for (char c : self) line += static_cast<wchar_t>(static_cast<unsigned char>(c));
  line += L"\" sleep";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION created = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &created)) {
    return 2;
  }
  CloseHandle(created.hThread);
  CloseHandle(created.hProcess);
#else
  (void)self;
  if (fork() == 0) {
    for (;;) pause(1);
  }
#endif
  std::printf("left one behind\n");
  std::fflush(stdout);
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args = platformUtf8Arguments(argc, argv);
  if (args.size() < 2) return 100;
  const std::string& mode = args[1];
  if (mode != "loud") platformQuietFaults();
  if (mode == "exit" && args.size() == 3) {
    std::fputs("out\n", stdout);
    std::fputs("err\n", stderr);
    std::fflush(stdout);
    std::fflush(stderr);
    std::exit(std::atoi(args[2].c_str()));
  }
  if (mode == "abort") std::abort();
  if (mode == "null-write" || (mode == "loud" && args.size() == 3 && args[2] == "null-write")) {
    int* volatile target = nullptr;
    *target = 1;
    return 101;
  }
#if defined(_WIN32)
  if (mode == "raise" && args.size() == 3) {
    RaiseException(static_cast<DWORD>(std::strtoul(args[2].c_str(), nullptr, 16)),
                   EXCEPTION_NONCONTINUABLE, 0, nullptr);
    return 102;
  }
#endif
  if (mode == "sleep") {
    for (;;) pause(1);
  }
  if (mode == "echo") {
    for (size_t i = 2; i < args.size(); ++i) std::printf("[%s]\n", args[i].c_str());
    return 0;
  }
  if (mode == "stray") return stray(args[0]);

  ChildChannelWriter channel;
  if (args.size() < 3 || !channel.open(args[2])) return 103;
  if (mode == "channel") {
    for (size_t i = 3; i < args.size(); ++i) channel.writeLine(args[i]);
    return 0;
  }
  if (mode == "steps" && args.size() == 5) {
    const int steps = std::atoi(args[3].c_str());
    const double apart = std::strtod(args[4].c_str(), nullptr);
    for (int i = 1; i <= steps; ++i) {
      channel.writeLine("step " + std::to_string(i));
      pause(apart);
    }
    return 0;
  }
  if (mode == "long" && args.size() == 4) {
    return channel.writeLine(std::string(std::strtoul(args[3].c_str(), nullptr, 10), 'x')) ? 0
                                                                                           : 104;
  }
  return 105;
}
