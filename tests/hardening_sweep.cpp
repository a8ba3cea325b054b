#include "tests/hardening_sweep.h"

size_t occurrences(const std::string& haystack, const std::string& needle) {
  size_t count = 0;
  for (size_t at = haystack.find(needle); at != std::string::npos;
       at = haystack.find(needle, at + needle.size())) {
    ++count;
  }
  return count;
}

ChildEnd judgeChild(int status, const std::string& output, std::string* why) {
#ifdef _WIN32
  const int minusOne = -1;
#else
  const int minusOne = 255;
#endif
  const size_t messages = occurrences(output, outOfMemoryFirstLine);
  const bool finishedLine = output.find(childFinishedLine) != std::string::npos;
  if (testing::ExitedWithCode(childFinished)(status) ||
      testing::ExitedWithCode(childFinishedUnfaulted)(status)) {
    if (messages != 0 || !finishedLine) {
      *why = "finished, but with " + std::to_string(messages) + " out-of-memory message(s)";
      return ChildEnd::fault;
    }
    return testing::ExitedWithCode(childFinished)(status) ? ChildEnd::finished
                                                          : ChildEnd::finishedUnfaulted;
  }
  if (testing::ExitedWithCode(minusOne)(status)) {
    if (messages != 1 || finishedLine) {
      *why = "status -1 with " + std::to_string(messages) + " out-of-memory message(s)" +
             (finishedLine ? " after the work had finished" : "");
      return ChildEnd::fault;
    }
    return ChildEnd::outOfMemory;
  }
  *why = testing::ExitedWithCode(childWrongResult)(status)
             ? "a wrong result"
             : "an unexpected end (status " + std::to_string(status) + ")";
  return ChildEnd::fault;
}

bool inDeathTestChild() { return !GTEST_FLAG_GET(internal_run_death_test).empty(); }
