// The channel's bytes cut into lines, for the two implementations of ChildProcess. Not
// synchronised: one reader.
#ifndef ORN_PLATFORM_CHILD_PROCESS_LINES_H_
#define ORN_PLATFORM_CHILD_PROCESS_LINES_H_

#include <cstddef>
#include <functional>
#include <string>

class ChannelLines {
 public:
  // A line longer than this is cut there: a child cannot make the parent hold without bound.
  static constexpr size_t longestLine = 16u << 20;

  // Hands every complete line in data (without its newline, a '\r' before it dropped) to line.
  void feed(const char* data, size_t size, const std::function<void(const std::string&)>& line);
  // Hands over what is left without a newline, if anything.
  void finish(const std::function<void(const std::string&)>& line);

 private:
  std::string pending_;
};

#endif  // ORN_PLATFORM_CHILD_PROCESS_LINES_H_
