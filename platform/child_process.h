// Starting a program as a child process and watching it: its stdout and stderr and one extra
// channel (a pipe the child writes lines to) are read by the parent, the parent sets a time limit
// it can move while the child runs, stops the child when the limit passes, and learns how it
// ended: exit status, signal, Windows exception code, or time-out.
//
// POSIX: the child runs in a process group of its own, which SIGKILL stops as a whole; it is
// killed as well when its parent dies. Windows: the child runs in a job object that ends with the
// parent; TerminateProcess stops it, the channel is an inherited pipe handle passed by number.
// There the pipes are inheritable while start runs: a program another thread of this process
// starts at that moment inherits them too, and wait then waits out a short grace after the
// child's end before it stops reading.
#ifndef ORN_PLATFORM_CHILD_PROCESS_H_
#define ORN_PLATFORM_CHILD_PROCESS_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum class ChildStream { output, error };

// How a child process ended.
struct ChildEnding {
  enum class Kind { exited, signal, exception, timedOut };
  Kind kind = Kind::exited;
  int status = 0;              // exited: the exit status (Windows: the exit code, signed)
  int signal = 0;              // signal: its number
  uint32_t exceptionCode = 0;  // exception: the NTSTATUS code the process ended with
  double timeLimit = 0;        // timedOut: the limit, in seconds, that passed

  // "exited with status 3", "was ended by signal 11 (SIGSEGV)",
  // "was ended by exception 0xC0000005 (access violation)",
  // "was stopped after 30 s, its time limit".
  std::string describe() const;
};

// "SIGSEGV" for 11 on POSIX; "signal N" for a number without a name (every number on Windows).
std::string platformSignalName(int signal);
// What a Windows exception code stands for: "access violation" for 0xC0000005; empty for a code
// that is not a known exception.
std::string exceptionCodeName(uint32_t code);
// The ending a Windows exit code stands for: an exception for a known exception code or any code
// of the error class 0xCxxxxxxx, else an exit with that (signed) status. exit(-1) stays status -1.
ChildEnding endingOfExitCode(uint32_t code);

// The running program's own file (UTF-8), to start it again.
std::string platformExecutablePath();

// Writes bytes to this process's stdout or stderr exactly as they are (past the C runtime's
// newline translation), after flushing the C stream of the same name. False on a write error.
bool platformWriteStandard(ChildStream stream, const char* data, size_t size);

// For a child whose stdout carries one document: from now on what anything else in the process
// writes to standard output (the C stream, descriptor 1, on Windows also the standard output
// handle) goes to standard error instead. Returns a stream on the original standard output, for
// the document, or null when it cannot be set aside (then nothing has changed).
std::FILE* platformSetAsideStandardOutput();

// For a child that is watched: a fault ends the process with its signal or exception code at
// once, with no crash dialog, no debugger started and no core file written.
void platformQuietFaults();

// One child process. Not copyable; use from one thread. The destructor stops a child still
// running and waits for it.
class ChildProcess {
 public:
  // An argument of start that is exactly this becomes the number of the channel in the child.
  static constexpr const char* channelArgument = "{channel}";

  // What arrives while wait runs, handed over on wait's thread as it comes.
  struct Watcher {
    std::function<void(ChildStream stream, const char* data, size_t size)> output;
    // One line of the channel, without its newline; a last line without one comes at the end.
    std::function<void(const std::string& line)> channelLine;
  };

  ChildProcess();
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts argv[0] (a path, UTF-8) with argv as its arguments; its stdin is empty, its stdout,
  // stderr and the channel go to this process. False with a one-line *error when it cannot be
  // started. Once per object.
  bool start(const std::vector<std::string>& argv, std::string* error);
  // The child may run for seconds from now (0: no limit); callable from the watcher, so a new
  // phase of the child's work can restart the clock.
  void limitTime(double seconds);
  // Reads the child's output and channel until it has ended, stopping it (and whatever it
  // started) when the time limit passes, and says how it ended. Once per started child.
  ChildEnding wait(const Watcher& watcher);

 private:
  struct State;  // per system
  std::unique_ptr<State> state_;
};

// The child's end of the channel, opened from the number its parent passed. Thread-safe: each
// line is written whole, under a lock, so lines of several threads never interleave.
class ChildChannelWriter {
 public:
  ChildChannelWriter();
  ~ChildChannelWriter();
  ChildChannelWriter(const ChildChannelWriter&) = delete;
  ChildChannelWriter& operator=(const ChildChannelWriter&) = delete;

  // False for a text that is not the number of a channel.
  bool open(const std::string& number);
  bool isOpen() const;
  // Writes text and a newline at once, unbuffered; false when it could not be written.
  bool writeLine(const std::string& text);

 private:
  struct State;  // per system
  std::unique_ptr<State> state_;
};

#endif  // ORN_PLATFORM_CHILD_PROCESS_H_
