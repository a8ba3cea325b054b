// Running a piece of work in a child process and judging how it ended: finished with correct
// results, or ended through the out-of-memory notification with exactly one message and status
// -1. Anything else (a crash, a sanitizer report, a wrong result, a second message) is a fault.
#ifndef ORN_TESTS_HARDENING_SWEEP_H_
#define ORN_TESTS_HARDENING_SWEEP_H_

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

// Exit statuses of a child that finished its work.
constexpr int childFinished = 0;           // correct results, and the planned fault was met
constexpr int childFinishedUnfaulted = 3;  // correct results, but the planned fault never came
constexpr int childWrongResult = 4;        // a result differed from what it must be

// The first line of the out-of-memory message, as every error service shows it.
constexpr const char* outOfMemoryFirstLine =
    "While running this function, you have run out of memory.";
// What a finishing child prints last.
constexpr const char* childFinishedLine = "hardening child: finished";

// An exit predicate that keeps the status for the judgement made after the child ended.
struct KeepStatus {
  int* status;
  bool operator()(int exitStatus) const {
    *status = exitStatus;
    return true;
  }
};

// Keeps the child's stderr for the same judgement.
MATCHER_P(KeptIn, output, "is kept for the judgement") {
  *output = arg;
  return true;
}

enum class ChildEnd { finished, finishedUnfaulted, outOfMemory, fault };

// How a child with this exit status and stderr ended; *why says what was wrong for a fault.
ChildEnd judgeChild(int status, const std::string& output, std::string* why);

size_t occurrences(const std::string& haystack, const std::string& needle);

// True in a death test's child that was started afresh (Windows always, elsewhere the
// "threadsafe" style): it runs the test from the start and passes over the other death tests, so
// code after them must not judge what it never saw.
bool inDeathTestChild();

#endif  // ORN_TESTS_HARDENING_SWEEP_H_
