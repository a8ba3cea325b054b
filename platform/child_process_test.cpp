// Child processes as orn-host uses them: the program in platform/test_child/ started for real,
// every way it can end, its output and channel read back, the time limit moved and enforced.
#include "platform/child_process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/config.h"
#include "platform/module_loader.h"

namespace {
std::string testChild() {
#if defined(_WIN32)
  return platformExecutableDirectory() + "platform_test_child.exe";
#else
  return platformExecutableDirectory() + "platform_test_child";
#endif
}

struct ChildRun {
  bool started = false;
  std::string error;
  ChildEnding ending;
  std::string out;
  std::string err;
  std::vector<std::string> lines;
};

// Runs the test child with args; limit in seconds (0: none). onLine may move the limit.
ChildRun runChild(const std::vector<std::string>& args, double limit = 60,
                  const std::function<void(ChildProcess&, const std::string&)>& onLine = nullptr) {
  ChildRun run;
  ChildProcess child;
  std::vector<std::string> argv{testChild()};
  argv.insert(argv.end(), args.begin(), args.end());
  run.started = child.start(argv, &run.error);
  if (!run.started) return run;
  child.limitTime(limit);
  ChildProcess::Watcher watcher;
  watcher.output = [&](ChildStream stream, const char* data, size_t size) {
    (stream == ChildStream::output ? run.out : run.err).append(data, size);
  };
  watcher.channelLine = [&](const std::string& line) {
    run.lines.push_back(line);
    if (onLine) onLine(child, line);
  };
  run.ending = child.wait(watcher);
  return run;
}

std::string withoutCarriageReturns(std::string text) {
  std::string out;
  for (char c : text) {
    if (c != '\r') out += c;
  }
  return out;
}
}  // namespace

TEST(ChildProcess, ExitStatusAndBothStreamsComeBack) {
  for (int status : {0, 7, 255}) {
    const ChildRun run = runChild({"exit", std::to_string(status)});
    ASSERT_TRUE(run.started) << run.error;
    EXPECT_EQ(run.ending.kind, ChildEnding::Kind::exited);
    EXPECT_EQ(run.ending.status, status);
    EXPECT_EQ(run.ending.describe(), "exited with status " + std::to_string(status));
    EXPECT_EQ(withoutCarriageReturns(run.out), "out\n");
    EXPECT_EQ(withoutCarriageReturns(run.err), "err\n");
  }
}

TEST(ChildProcess, AFaultIsReportedAsTheSignalOrExceptionThatEndedIt) {
  const ChildRun run = runChild({"null-write"});
  ASSERT_TRUE(run.started) << run.error;
#if defined(_WIN32)
  EXPECT_EQ(run.ending.kind, ChildEnding::Kind::exception);
  EXPECT_EQ(run.ending.exceptionCode, 0xC0000005u);
  EXPECT_EQ(run.ending.describe(), "was ended by exception 0xC0000005 (access violation)");
  // Quiet: no debugger started, so no crash report on the child's streams.
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
  // The same ending without the quiet filter (wine then starts its debugger first).
  const ChildRun loud = runChild({"loud", "null-write"});
  EXPECT_EQ(loud.ending.describe(), "was ended by exception 0xC0000005 (access violation)");
#elif ORN_ADDRESS_SANITIZER
  // AddressSanitizer catches the fault, reports it and exits with its own status.
  EXPECT_EQ(run.ending.kind, ChildEnding::Kind::exited);
  EXPECT_NE(run.ending.status, 0);
#else
  EXPECT_EQ(run.ending.kind, ChildEnding::Kind::signal);
  EXPECT_EQ(run.ending.signal, 11);
  EXPECT_EQ(run.ending.describe(), "was ended by signal 11 (SIGSEGV)");
#endif
}

TEST(ChildProcess, AbortIsStatusThreeOnWindowsAndSigabrtElsewhere) {
  const ChildRun run = runChild({"abort"});
  ASSERT_TRUE(run.started) << run.error;
#if defined(_WIN32)
  EXPECT_EQ(run.ending.kind, ChildEnding::Kind::exited);
  EXPECT_EQ(run.ending.status, 3);
#else
  EXPECT_EQ(run.ending.kind, ChildEnding::Kind::signal);
  EXPECT_EQ(run.ending.describe(), "was ended by signal 6 (SIGABRT)");
#endif
}

#if defined(_WIN32)
TEST(ChildProcess, AnExceptionNothingHandlesEndsWithItsCode) {
  for (const char* code : {"C00000FD", "C0000409"}) {
    const ChildRun run = runChild({"raise", code});
    ASSERT_TRUE(run.started) << run.error;
    EXPECT_EQ(run.ending.kind, ChildEnding::Kind::exception) << code;
    EXPECT_EQ(run.ending.exceptionCode, std::strtoul(code, nullptr, 16));
  }
}
#endif

TEST(ChildProcess, ExitCodesAreToldFromExceptionCodes) {
  EXPECT_EQ(endingOfExitCode(3).describe(), "exited with status 3");
  EXPECT_EQ(endingOfExitCode(0xFFFFFFFFu).describe(), "exited with status -1");
  EXPECT_EQ(endingOfExitCode(0xC00000FDu).describe(),
            "was ended by exception 0xC00000FD (stack overflow)");
  EXPECT_EQ(endingOfExitCode(0xC0000409u).describe(),
            "was ended by exception 0xC0000409 (stack buffer overrun / fail-fast)");
  EXPECT_EQ(endingOfExitCode(0x80000003u).describe(),
            "was ended by exception 0x80000003 (breakpoint)");
  // Of the error class but unknown: still an exception, shown by its code alone.
  EXPECT_EQ(endingOfExitCode(0xC0DE0001u).describe(), "was ended by exception 0xC0DE0001");
  // A status that merely has the top bit set is a status.
  EXPECT_EQ(endingOfExitCode(0x80001234u).kind, ChildEnding::Kind::exited);
#if !defined(_WIN32)
  EXPECT_EQ(platformSignalName(9), "SIGKILL");
#endif
}

TEST(ChildProcess, AChildPastItsTimeLimitIsStopped) {
  const ChildRun run = runChild({"sleep"}, 0.5);
  ASSERT_TRUE(run.started) << run.error;
  EXPECT_EQ(run.ending.kind, ChildEnding::Kind::timedOut);
  EXPECT_EQ(run.ending.timeLimit, 0.5);
  EXPECT_EQ(run.ending.describe(), "was stopped after 0.5 s, its time limit");
}

TEST(ChildProcess, EachChannelLineCanRestartTheClock) {
  // Four steps 0.6 s apart, 2.4 s in all, against a limit of 1.5 s restarted at every step.
  const auto restart = [](ChildProcess& child, const std::string&) { child.limitTime(1.5); };
  const ChildRun run = runChild({"steps", ChildProcess::channelArgument, "4", "0.6"}, 1.5, restart);
  ASSERT_TRUE(run.started) << run.error;
  EXPECT_EQ(run.ending.describe(), "exited with status 0");
  EXPECT_EQ(run.lines, (std::vector<std::string>{"step 1", "step 2", "step 3", "step 4"}));

  // Without the restart the same child is stopped in the middle of its steps.
  const ChildRun stopped = runChild({"steps", ChildProcess::channelArgument, "4", "0.6"}, 1.5);
  EXPECT_EQ(stopped.ending.kind, ChildEnding::Kind::timedOut);
  EXPECT_GE(stopped.lines.size(), 1u);
  EXPECT_LT(stopped.lines.size(), 4u);
}

TEST(ChildProcess, ChannelLinesArriveWholeAndInOrder) {
  const std::vector<std::string> sent{"{\"phase\":\"load\"}", "", "Grüße, 日本", "last"};
  std::vector<std::string> args{"channel", ChildProcess::channelArgument};
  args.insert(args.end(), sent.begin(), sent.end());
  const ChildRun run = runChild(args);
  ASSERT_TRUE(run.started) << run.error;
  EXPECT_EQ(run.ending.describe(), "exited with status 0") << run.err;
  EXPECT_EQ(run.lines, sent);

  // A line far beyond a pipe's buffer comes in many reads and still as one line.
  const ChildRun longLine = runChild({"long", ChildProcess::channelArgument, "300000"});
  EXPECT_EQ(longLine.ending.describe(), "exited with status 0") << longLine.err;
  ASSERT_EQ(longLine.lines.size(), 1u);
  EXPECT_EQ(longLine.lines[0], std::string(300000, 'x'));
}

TEST(ChildProcess, ArgumentsReachTheChildExactly) {
  const std::vector<std::string> args{
      "plain",     "two words",    "",       "a\"quote",   "trailing\\", "back\\\\\"slash",
      "C:\\x y\\", "Grüße 日本 ☃", "--json", "{channel}x", "tab\there",  "\\\\server\\share"};
  std::vector<std::string> argv{"echo"};
  argv.insert(argv.end(), args.begin(), args.end());
  const ChildRun run = runChild(argv);
  ASSERT_TRUE(run.started) << run.error;
  std::string expected;
  for (const std::string& a : args) expected += "[" + a + "]\n";
  EXPECT_EQ(withoutCarriageReturns(run.out), expected);
}

TEST(ChildProcess, WhatTheChildLeavesRunningDoesNotKeepTheParentWaiting) {
  // The stray holds the child's stdout and never ends: wait returns once the grace after the
  // child's exit has passed, and the stray is stopped with it.
  const ChildRun run = runChild({"stray"}, 30);
  ASSERT_TRUE(run.started) << run.error;
  EXPECT_EQ(run.ending.describe(), "exited with status 0") << run.err;
  EXPECT_EQ(withoutCarriageReturns(run.out), "left one behind\n");
}

TEST(ChildProcess, AProgramThatCannotRunIsAnErrorOrStatus127) {
  ChildProcess child;
  std::string error;
  const std::string missing = platformExecutableDirectory() + "no-such-program";
  if (!child.start({missing}, &error)) {
    EXPECT_NE(error.find("no-such-program"), std::string::npos) << error;
    return;
  }
  // POSIX: fork succeeds, exec fails in the child.
  std::string err;
  ChildProcess::Watcher watcher;
  watcher.output = [&](ChildStream, const char* data, size_t size) { err.append(data, size); };
  EXPECT_EQ(child.wait(watcher).describe(), "exited with status 127");
  EXPECT_NE(err.find("cannot run"), std::string::npos) << err;
}

TEST(ChildChannelWriter, RefusesWhatIsNotTheNumberOfAChannel) {
  for (const char* text : {"", "abc", "-1", "12x", "99999999999999999999", "0"}) {
    ChildChannelWriter writer;
    EXPECT_FALSE(writer.open(text)) << text;
    EXPECT_FALSE(writer.isOpen());
    EXPECT_FALSE(writer.writeLine("nothing"));
  }
}
