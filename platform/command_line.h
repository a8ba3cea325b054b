// The program's command-line arguments as UTF-8, whatever code page the system runs in.
#ifndef ORN_PLATFORM_COMMAND_LINE_H_
#define ORN_PLATFORM_COMMAND_LINE_H_

#include <string>
#include <vector>

// argv as UTF-8, the program's name first. On Windows argv holds the ANSI code page, which cannot
// spell every file name: the arguments are taken from the UTF-16 command line instead (argv
// itself when that cannot be read or splits differently). Elsewhere argv is returned as it is.
std::vector<std::string> platformUtf8Arguments(int argc, char** argv);

#endif  // ORN_PLATFORM_COMMAND_LINE_H_
