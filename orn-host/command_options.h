// Options every orn-host subcommand takes, and the host they configure.
#ifndef ORN_HOST_CLI_COMMAND_OPTIONS_H_
#define ORN_HOST_CLI_COMMAND_OPTIONS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "host/orn_host.h"

namespace CLI {
class App;
}

struct HostCommandOptions {
  std::string module;  // empty: the component_template beside the command
  bool json = false;
  std::string settingsFile;
  std::vector<std::string> settings;  // KEY=VALUE
  std::string lang;
  std::string catalogue;  // a PO file; overrides the lookup by --lang
  std::string localeDir;
  uint64_t memoryReserve = 8u << 20;  // in bytes; set from memoryReserveText by the command
  bool memoryReserveGiven = false;
  std::string memoryReserveText;  // as typed after --memory-reserve
  int memoryReserveSteps = 8;
  std::string timeLimitText;  // --timeout as typed; empty: the default
  double timeLimit = 30;      // seconds per phase, 0 for none: timeLimitText read
  // Set in the module's process only: the number of the channel to its parent.
  std::string moduleProcessChannel;

  std::string modulePath() const;
};

// Adds the MODULE argument and the host options to a (sub)command.
void addHostOptions(CLI::App* app, HostCommandOptions* options);

// Applies settings and the language to host. Bad settings lines and an unknown language are
// errors (each printed as one line, false returned); catalogue entries that do not keep their
// placeholders are warnings.
bool configureHost(OrnHostApp& host, const HostCommandOptions& options);

// One-line error on stderr ("orn-host: message"); with --json also {"error": message} on stdout.
// Returns the exit status for bad input, 2.
int reportCommandError(const HostCommandOptions& options, const std::string& message);

class LoadedModule;
// Loads the command's module and refuses one whose interface version is not exactly 100.
// Returns 0 when the module is loaded, else the exit status after a one-line error.
int loadCommandModule(LoadedModule& module, const HostCommandOptions& options);

// The exit statuses of orn-host.
constexpr int exitOk = 0;
constexpr int exitChecksFailed = 1;
constexpr int exitBadInput = 2;
// The module's process ended abnormally (exit, signal, exception not caught) or ran past its time
// limit.
constexpr int exitModuleFault = 3;

#endif  // ORN_HOST_CLI_COMMAND_OPTIONS_H_
