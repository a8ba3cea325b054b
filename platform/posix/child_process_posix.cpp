#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/child_process.h"
#include "platform/child_process_lines.h"

namespace {
// After the child has ended, how long its pipes may stay open (held by something it started)
// before the parent stops reading them.
constexpr double pipeGraceSeconds = 2.0;
// How often wait looks whether the child has ended while its pipes stay quiet.
constexpr int pollMilliseconds = 50;

double monotonicSeconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// A descriptor at 3 or above, close-on-exec: the child's 0, 1 and 2 are set up by dup2, which must
// not overwrite one of the pipes.
int aboveStandard(int fd) {
  if (fd < 0 || fd > 2) return fd;
  const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  close(fd);
  return moved;
}

bool makePipe(int ends[2]) {
  if (pipe2(ends, O_CLOEXEC) != 0) return false;
  ends[0] = aboveStandard(ends[0]);
  ends[1] = aboveStandard(ends[1]);
  return ends[0] >= 0 && ends[1] >= 0;
}

void closeIfOpen(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

bool writeAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}
}  // namespace

struct ChildProcess::State {
  pid_t pid = -1;
  int pipes[3] = {-1, -1, -1};  // read ends: stdout, stderr, channel
  double deadline = 0;          // monotonic seconds; 0: none
  double limit = 0;
  bool reaped = false;

  void stopGroup() const {
    if (pid <= 0) return;
    kill(-pid, SIGKILL);  // the child and everything it started
    kill(pid, SIGKILL);   // in case it left its group
  }
};

ChildProcess::ChildProcess() : state_(new State) {}

ChildProcess::~ChildProcess() {
  if (state_->pid > 0 && !state_->reaped) {
    state_->stopGroup();
    int status = 0;
    while (waitpid(state_->pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  for (int& fd : state_->pipes) closeIfOpen(fd);
}

bool ChildProcess::start(const std::vector<std::string>& argv, std::string* error) {
  if (argv.empty() || state_->pid > 0) {
    *error = "nothing to start";
    return false;
  }
  int out[2] = {-1, -1}, err[2] = {-1, -1}, channel[2] = {-1, -1};
  const int input = aboveStandard(open("/dev/null", O_RDONLY | O_CLOEXEC));
  if (!makePipe(out) || !makePipe(err) || !makePipe(channel) || input < 0) {
    *error = std::string("cannot make the child's pipes: ") + strerror(errno);
    for (int* fd : {&out[0], &out[1], &err[0], &err[1], &channel[0], &channel[1]}) closeIfOpen(*fd);
    if (input >= 0) close(input);
    return false;
  }
  // Everything the child needs is made before fork: after it, only async-signal-safe calls.
  std::vector<std::string> arguments = argv;
  for (std::string& argument : arguments) {
    if (argument == channelArgument) argument = std::to_string(channel[1]);
  }
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(&argument[0]);
  pointers.push_back(nullptr);
  const std::string cannotRun = "cannot run " + argv[0] + "\n";
  const pid_t parent = getpid();

  const pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);  // the parent died before the line above
    dup2(input, 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    fcntl(channel[1], F_SETFD, 0);  // the one descriptor beyond 0..2 the child keeps
    execv(pointers[0], pointers.data());
    writeAll(2, cannotRun.data(), cannotRun.size());
    _exit(127);
  }
  const int forkError = errno;
  close(input);
  close(out[1]);
  close(err[1]);
  close(channel[1]);
  if (pid < 0) {
    close(out[0]);
    close(err[0]);
    close(channel[0]);
    *error = std::string("cannot start a process: ") + strerror(forkError);
    return false;
  }
  setpgid(pid, pid);  // also here, so that the group exists whichever side runs first
  state_->pid = pid;
  state_->pipes[0] = out[0];
  state_->pipes[1] = err[0];
  state_->pipes[2] = channel[0];
  return true;
}

void ChildProcess::limitTime(double seconds) {
  state_->limit = seconds;
  state_->deadline = seconds > 0 ? monotonicSeconds() + seconds : 0;
}

ChildEnding ChildProcess::wait(const Watcher& watcher) {
  State& s = *state_;
  ChildEnding ending;
  if (s.pid <= 0 || s.reaped) return ending;
  ChannelLines lines;
  const auto onLine = [&](const std::string& line) {
    if (watcher.channelLine) watcher.channelLine(line);
  };
  bool ended = false;
  bool timedOut = false;
  double endedAt = 0;
  char buffer[65536];
  for (;;) {
    if (!ended) {
      siginfo_t info{};
      // WNOWAIT: the child stays a zombie, so its process group cannot be taken by a new process
      // before what it left behind is stopped below.
      if (waitid(P_PID, static_cast<id_t>(s.pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
          info.si_pid == s.pid) {
        ended = true;
        endedAt = monotonicSeconds();
        kill(-s.pid, SIGKILL);  // what the child started and left running
      }
    }
    const bool pipesOpen = s.pipes[0] >= 0 || s.pipes[1] >= 0 || s.pipes[2] >= 0;
    if (ended && (!pipesOpen || monotonicSeconds() - endedAt > pipeGraceSeconds)) break;
    if (!ended && !timedOut && s.deadline > 0 && monotonicSeconds() >= s.deadline) {
      timedOut = true;
      s.stopGroup();
    }

    pollfd fds[3];
    nfds_t count = 0;
    for (int i = 0; i < 3; ++i) {
      if (s.pipes[i] >= 0) fds[count++] = pollfd{s.pipes[i], POLLIN, 0};
    }
    if (count == 0) {
      // Nothing left to read: only the end is awaited, which is near once every pipe is closed.
      struct timespec pause = {0, 5 * 1000000L};
      nanosleep(&pause, nullptr);
      continue;
    }
    const int ready = poll(fds, count, pollMilliseconds);
    if (ready <= 0) continue;  // a time-out, or EINTR
    for (nfds_t k = 0; k < count; ++k) {
      if (fds[k].revents == 0) continue;
      const int which = fds[k].fd == s.pipes[0] ? 0 : fds[k].fd == s.pipes[1] ? 1 : 2;
      const ssize_t n = read(s.pipes[which], buffer, sizeof buffer);
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n <= 0) {
        closeIfOpen(s.pipes[which]);
        continue;
      }
      const size_t size = static_cast<size_t>(n);
      if (which == 2) {
        lines.feed(buffer, size, onLine);
      } else if (watcher.output) {
        watcher.output(which == 0 ? ChildStream::output : ChildStream::error, buffer, size);
      }
    }
  }
  lines.finish(onLine);
  for (int& fd : s.pipes) closeIfOpen(fd);

  int status = 0;
  pid_t done;
  do {
    done = waitpid(s.pid, &status, 0);
  } while (done < 0 && errno == EINTR);
  s.reaped = true;
  if (timedOut) {
    ending.kind = ChildEnding::Kind::timedOut;
    ending.timeLimit = s.limit;
  } else if (done == s.pid && WIFSIGNALED(status)) {
    ending.kind = ChildEnding::Kind::signal;
    ending.signal = WTERMSIG(status);
  } else if (done == s.pid && WIFEXITED(status)) {
    ending.kind = ChildEnding::Kind::exited;
    ending.status = WEXITSTATUS(status);
  } else {
    ending.kind = ChildEnding::Kind::exited;
    ending.status = -1;
  }
  return ending;
}

std::string platformSignalName(int signal) {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 32))
  if (const char* abbreviation = sigabbrev_np(signal)) return std::string("SIG") + abbreviation;
#endif
  return "signal " + std::to_string(signal);
}

std::string platformExecutablePath() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "";
  return std::string(buffer, static_cast<size_t>(n));
}

bool platformWriteStandard(ChildStream stream, const char* data, size_t size) {
  std::fflush(stream == ChildStream::output ? stdout : stderr);
  return writeAll(stream == ChildStream::output ? 1 : 2, data, size);
}

std::FILE* platformSetAsideStandardOutput() {
  std::fflush(stdout);
  const int kept = ::fcntl(1, F_DUPFD_CLOEXEC, 3);
  if (kept < 0) return nullptr;
  std::FILE* document = ::fdopen(kept, "w");
  if (document == nullptr) {
    ::close(kept);
    return nullptr;
  }
  if (::dup2(2, 1) < 0) {
    std::fclose(document);
    return nullptr;
  }
  return document;
}

void platformQuietFaults() {
  const rlimit noCore = {0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
}

struct ChildChannelWriter::State {
  int fd = -1;
  std::mutex lock;  // one line at a time
};

ChildChannelWriter::ChildChannelWriter() : state_(new State) {}
ChildChannelWriter::~ChildChannelWriter() = default;  // the channel closes when the process ends

bool ChildChannelWriter::open(const std::string& number) {
  if (number.empty() || number.size() > 9) return false;
  for (char c : number) {
    if (c < '0' || c > '9') return false;
  }
  const int fd = std::atoi(number.c_str());
  if (fd < 3 || fcntl(fd, F_GETFD) < 0) return false;
  fcntl(fd, F_SETFD, FD_CLOEXEC);  // not handed on to programs the module starts
  state_->fd = fd;
  return true;
}

bool ChildChannelWriter::isOpen() const { return state_->fd >= 0; }

bool ChildChannelWriter::writeLine(const std::string& text) {
  if (state_->fd < 0) return false;
  const std::string line = text + "\n";
  std::lock_guard<std::mutex> guard(state_->lock);
  return writeAll(state_->fd, line.data(), line.size());
}
