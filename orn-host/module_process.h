// The module's process: orn-host runs check, test and inspect in a child process of its own (this
// program again, with the same arguments and --as-module-process), so that a module that exits,
// crashes or hangs cannot end or stall the command without a word. The child sends the parent one
// JSON line per event on a channel of its own, each written at once:
//   {"phase":"EntryPoint"}                                  a phase of the work is entered
//   {"report":{"message":..,"shown":..,"severity":..,"extra":..,"echoed":..}}  an error report
//   {"finished":1}                                          the command's exit status
// Each phase may take the time limit (--timeout). The parent relays the child's output as it
// comes (with --json stdout is held back until the end) and its exit status once it finished;
// for any other ending it says how the process ended and in which phase, shows the reports the
// module sent, and exits with exitModuleFault.
#ifndef ORN_HOST_CLI_MODULE_PROCESS_H_
#define ORN_HOST_CLI_MODULE_PROCESS_H_

#include <string>
#include <vector>

#include "host/error_service.h"
#include "orn-host/command_options.h"

// The parent's side. arguments are the command's own, without the program's name; command is
// "check", "test" or "inspect". Returns the exit status.
int runInModuleProcess(const std::vector<std::string>& arguments, const HostCommandOptions& options,
                       const std::string& command);

// The child's side. Opens the channel whose number the parent passed, sends each phase as it is
// entered from now on, and makes a fault end the process at once (no dialog, no core file) and
// std::terminate say in which phase it came. False with a one-line *error for a bad channel.
bool beginModuleProcess(const std::string& channel, std::string* error);
// Sends each report errors keeps, as it arrives.
void passOnReports(HostErrorService& errors);
// Sends the command's exit status: the child finished.
void finishModuleProcess(int status);

// The exit status and message for an exception that reached main. In a phase of the work with
// the module it is the module's: one line naming the exception and the phase, exitModuleFault.
// Else the host's own: one line, exitBadInput. what is null for one that is not a
// std::exception.
int reportUncaughtException(const HostCommandOptions& options, const char* what);

#endif  // ORN_HOST_CLI_MODULE_PROCESS_H_
