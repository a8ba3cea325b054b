#include "platform/command_line.h"

std::vector<std::string> platformUtf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}
