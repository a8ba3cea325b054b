#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "platform/child_process_lines.h"
#include "platform/utf.h"
#include "platform/win32/system_text.h"

namespace {
// After the child has ended, how long its pipes may stay open (held by something it started)
// before the parent stops reading them.
constexpr ULONGLONG pipeGraceMilliseconds = 2000;

// One argument as CommandLineToArgvW and the C runtime split it back: quoted when it is empty or
// holds a blank or a quote; backslashes doubled only where a quote follows them.
void appendQuoted(std::wstring& line, const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    line += argument;
    return;
  }
  line += L'"';
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') backslashes = backslashes * 2 + 1;
    line.append(backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

void closeIfOpen(HANDLE& handle) {
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  handle = nullptr;
}

// What the reader threads hand to the waiting thread. Shared by the waiting thread and the
// readers (std::shared_ptr): a reader blocked on a pipe that something the child started still
// holds may outlive wait. Guarded by lock.
struct Arrivals {
  struct Chunk {
    int pipe;  // 0 stdout, 1 stderr, 2 channel
    std::string bytes;
  };
  CRITICAL_SECTION lock;
  HANDLE signal;  // set when a chunk or an end arrives
  std::vector<Chunk> chunks;
  int open = 0;  // readers still reading

  Arrivals() : signal(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
    InitializeCriticalSection(&lock);
  }
  ~Arrivals() {
    DeleteCriticalSection(&lock);
    closeIfOpen(signal);
  }
};

struct Reader {
  HANDLE pipe;
  int which;
  std::shared_ptr<Arrivals> arrivals;
};

DWORD WINAPI readPipe(LPVOID parameter) {
  std::unique_ptr<Reader> reader(static_cast<Reader*>(parameter));
  Arrivals& arrivals = *reader->arrivals;
  char buffer[65536];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(reader->pipe, buffer, sizeof buffer, &n, nullptr) || n == 0) break;
    EnterCriticalSection(&arrivals.lock);
    arrivals.chunks.push_back(Arrivals::Chunk{reader->which, std::string(buffer, n)});
    LeaveCriticalSection(&arrivals.lock);
    SetEvent(arrivals.signal);
  }
  CloseHandle(reader->pipe);
  EnterCriticalSection(&arrivals.lock);
  --arrivals.open;
  LeaveCriticalSection(&arrivals.lock);
  SetEvent(arrivals.signal);
  return 0;
}
}  // namespace

struct ChildProcess::State {
  HANDLE process = nullptr;
  HANDLE job = nullptr;  // the child and what it starts; ends with this process
  std::shared_ptr<Arrivals> arrivals;
  ULONGLONG deadline = 0;  // GetTickCount64; 0: none
  double limit = 0;
  bool waited = false;

  void stop() const {
    if (job != nullptr) TerminateJobObject(job, 1);
    if (process != nullptr) TerminateProcess(process, 1);
  }
};

ChildProcess::ChildProcess() : state_(new State) {}

ChildProcess::~ChildProcess() {
  if (state_->process != nullptr && !state_->waited) {
    state_->stop();
    WaitForSingleObject(state_->process, INFINITE);
  }
  closeIfOpen(state_->process);
  closeIfOpen(state_->job);
}

bool ChildProcess::start(const std::vector<std::string>& argv, std::string* error) {
  if (argv.empty() || state_->process != nullptr) {
    *error = "nothing to start";
    return false;
  }
  SECURITY_ATTRIBUTES inherited = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnds[3] = {nullptr, nullptr, nullptr};
  HANDLE writeEnds[3] = {nullptr, nullptr, nullptr};
  bool made = true;
  for (int i = 0; i < 3 && made; ++i) {
    made = CreatePipe(&readEnds[i], &writeEnds[i], &inherited, 0) &&
           SetHandleInformation(readEnds[i], HANDLE_FLAG_INHERIT, 0);
  }
  HANDLE input = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                             OPEN_EXISTING, 0, nullptr);
  const auto closeAll = [&] {
    for (HANDLE& h : readEnds) closeIfOpen(h);
    for (HANDLE& h : writeEnds) closeIfOpen(h);
    closeIfOpen(input);
  };
  if (!made || input == INVALID_HANDLE_VALUE) {
    *error = "cannot make the child's pipes: " + systemErrorText(GetLastError(), "system error");
    closeAll();
    return false;
  }

  const std::wstring program = widenUtf8(argv[0]);
  std::wstring line = L"\"" + program + L"\"";
  for (size_t i = 1; i < argv.size(); ++i) {
    line += L' ';
    appendQuoted(line, argv[i] == channelArgument
                           ? widenUtf8(std::to_string(reinterpret_cast<uintptr_t>(writeEnds[2])))
                           : widenUtf8(argv[i]));
  }
  std::vector<wchar_t> mutableLine(line.begin(), line.end());
  mutableLine.push_back(L'\0');

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = writeEnds[0];
  startup.hStdError = writeEnds[1];
  PROCESS_INFORMATION created = {};
  // Suspended until it is in the job, so that nothing it starts escapes the job.
  if (!CreateProcessW(program.c_str(), mutableLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                      nullptr, nullptr, &startup, &created)) {
    *error = "cannot start " + argv[0] + ": " + systemErrorText(GetLastError(), "system error");
    closeAll();
    return false;
  }
  state_->job = CreateJobObjectW(nullptr, nullptr);
  if (state_->job != nullptr) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    // Where the system or wine cannot nest jobs, the child runs without one: a time-out then
    // still stops the child, only not what it started.
    if (!SetInformationJobObject(state_->job, JobObjectExtendedLimitInformation, &limits,
                                 sizeof limits) ||
        !AssignProcessToJobObject(state_->job, created.hProcess)) {
      closeIfOpen(state_->job);
    }
  }
  ResumeThread(created.hThread);
  CloseHandle(created.hThread);
  state_->process = created.hProcess;
  for (HANDLE& h : writeEnds) closeIfOpen(h);
  closeIfOpen(input);

  state_->arrivals = std::make_shared<Arrivals>();
  for (int i = 0; i < 3; ++i) {
    auto* reader = new Reader{readEnds[i], i, state_->arrivals};
    readEnds[i] = nullptr;  // the reader's now
    EnterCriticalSection(&state_->arrivals->lock);
    ++state_->arrivals->open;
    LeaveCriticalSection(&state_->arrivals->lock);
    HANDLE thread = CreateThread(nullptr, 64 * 1024, readPipe, reader, 0, nullptr);
    if (thread == nullptr) {
      CloseHandle(reader->pipe);
      delete reader;
      EnterCriticalSection(&state_->arrivals->lock);
      --state_->arrivals->open;
      LeaveCriticalSection(&state_->arrivals->lock);
      continue;  // that pipe goes unread; the child still runs and ends
    }
    CloseHandle(thread);
  }
  return true;
}

void ChildProcess::limitTime(double seconds) {
  state_->limit = seconds;
  state_->deadline =
      seconds > 0 ? GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000.0 + 0.5) : 0;
}

ChildEnding ChildProcess::wait(const Watcher& watcher) {
  State& s = *state_;
  ChildEnding ending;
  if (s.process == nullptr || s.waited) return ending;
  Arrivals& arrivals = *s.arrivals;
  ChannelLines lines;
  const auto onLine = [&](const std::string& line) {
    if (watcher.channelLine) watcher.channelLine(line);
  };
  bool ended = false;
  bool timedOut = false;
  ULONGLONG endedAt = 0;
  for (;;) {
    std::vector<Arrivals::Chunk> chunks;
    EnterCriticalSection(&arrivals.lock);
    chunks.swap(arrivals.chunks);
    const int open = arrivals.open;
    LeaveCriticalSection(&arrivals.lock);
    for (const Arrivals::Chunk& chunk : chunks) {
      if (chunk.pipe == 2) {
        lines.feed(chunk.bytes.data(), chunk.bytes.size(), onLine);
      } else if (watcher.output) {
        watcher.output(chunk.pipe == 0 ? ChildStream::output : ChildStream::error,
                       chunk.bytes.data(), chunk.bytes.size());
      }
    }
    const ULONGLONG now = GetTickCount64();
    if (ended && (open == 0 || now - endedAt > pipeGraceMilliseconds)) break;
    if (!ended && !timedOut && s.deadline != 0 && now >= s.deadline) {
      timedOut = true;
      s.stop();
    }
    DWORD pause = INFINITE;
    if (!chunks.empty()) {
      pause = 0;  // more may have come meanwhile
    } else if (ended) {
      pause = static_cast<DWORD>(pipeGraceMilliseconds - (now - endedAt));
    } else if (s.deadline != 0 && !timedOut) {
      pause = static_cast<DWORD>(s.deadline - now);
    }
    const HANDLE handles[2] = {arrivals.signal, s.process};
    const DWORD which = WaitForMultipleObjects(ended ? 1 : 2, handles, FALSE, pause);
    if (which == WAIT_OBJECT_0 + 1) {
      ended = true;
      endedAt = GetTickCount64();
      if (s.job != nullptr) TerminateJobObject(s.job, 1);  // what the child left running
    } else if (which == WAIT_FAILED) {
      Sleep(50);
    }
  }
  lines.finish(onLine);
  s.waited = true;
  DWORD code = 0;
  GetExitCodeProcess(s.process, &code);
  if (timedOut) {
    ending.kind = ChildEnding::Kind::timedOut;
    ending.timeLimit = s.limit;
  } else {
    ending = endingOfExitCode(code);
  }
  return ending;
}

std::string platformSignalName(int signal) { return "signal " + std::to_string(signal); }

std::string platformExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (n == 0) return "";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    if (path.size() >= 32768) return "";
    path.resize(path.size() * 2);
  }
  return utf8FromUtf16(reinterpret_cast<const char16_t*>(path.c_str()));
}

bool platformWriteStandard(ChildStream stream, const char* data, size_t size) {
  std::fflush(stream == ChildStream::output ? stdout : stderr);
  HANDLE handle =
      GetStdHandle(stream == ChildStream::output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  while (size > 0) {
    DWORD written = 0;
    const DWORD part = size > (1u << 20) ? (1u << 20) : static_cast<DWORD>(size);
    if (!WriteFile(handle, data, part, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

std::FILE* platformSetAsideStandardOutput() {
  std::fflush(stdout);
  const int kept = _dup(_fileno(stdout));
  if (kept < 0) return nullptr;
  std::FILE* document = _fdopen(kept, "w");
  if (document == nullptr) {
    _close(kept);
    return nullptr;
  }
  if (_dup2(_fileno(stderr), _fileno(stdout)) != 0) {
    std::fclose(document);
    return nullptr;
  }
  SetStdHandle(STD_OUTPUT_HANDLE, GetStdHandle(STD_ERROR_HANDLE));
  return document;
}

namespace {
// The last filter an exception nothing handles reaches: the process ends at once with the
// exception's code, before a debugger is started (wine starts winedbg whatever the error mode,
// and its report would land in the process's stdout) and before any exit code of the module runs.
LONG WINAPI endWithExceptionCode(EXCEPTION_POINTERS* pointers) {
  TerminateProcess(GetCurrentProcess(), pointers->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}
}  // namespace

void platformQuietFaults() {
  // No "program has stopped" box and no debugger for an unhandled exception.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(endWithExceptionCode);
}

struct ChildChannelWriter::State {
  HANDLE handle = nullptr;
  std::mutex lock;  // one line at a time
};

ChildChannelWriter::ChildChannelWriter() : state_(new State) {}
ChildChannelWriter::~ChildChannelWriter() = default;  // the channel closes when the process ends

bool ChildChannelWriter::open(const std::string& number) {
  if (number.empty() || number.size() > 10) return false;
  for (char c : number) {
    if (c < '0' || c > '9') return false;
  }
  const unsigned long long value = std::strtoull(number.c_str(), nullptr, 10);
  if (value == 0 || value > UINTPTR_MAX) return false;
  HANDLE handle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
  DWORD flags = 0;
  if (!GetHandleInformation(handle, &flags)) return false;
  SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);  // not handed on to what the module starts
  state_->handle = handle;
  return true;
}

bool ChildChannelWriter::isOpen() const { return state_->handle != nullptr; }

bool ChildChannelWriter::writeLine(const std::string& text) {
  if (state_->handle == nullptr) return false;
  const std::string line = text + "\n";
  std::lock_guard<std::mutex> guard(state_->lock);
  const char* data = line.data();
  size_t size = line.size();
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(state_->handle, data, static_cast<DWORD>(size), &written, nullptr) ||
        written == 0) {
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}
