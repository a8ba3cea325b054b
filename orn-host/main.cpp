// orn-host: loads a component module the way a host does and inspects it, checks it against the
// framework's rules, or runs its tests.
//   orn-host [inspect] [MODULE]   name, build stamp, identifier, descriptor, classes
//   orn-host check [MODULE]       one line per rule, a summary; exit 0 only when all pass
//   orn-host test [MODULE]        the module's test operation and what it reported
#include <CLI/CLI.hpp>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "host/orn_host.h"
#include "orn-host/byte_size.h"
#include "orn-host/command_options.h"
#include "orn-host/commands.h"
#include "platform/command_line.h"
#include "platform/process_memory.h"

namespace {
// The host outlives every module and the exit list of this process: never destroyed.
OrnHostApp& makeHost(const HostCommandOptions& options) {
  OrnHostOptions hostOptions;
  hostOptions.memoryReserveBytes = static_cast<size_t>(options.memoryReserve);
  hostOptions.memoryReserveSteps = options.memoryReserveSteps;
  static OrnHostApp* host = new OrnHostApp(hostOptions);
  return *host;
}
}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "orn-host: loads a component module, inspects it, checks it against the "
      "framework's rules, or runs its tests."};
  // A module path such as /tmp/x.dll is a path on every system, never a "/option".
  app.allow_windows_style_options(false);
  app.require_subcommand(0, 1);
  // One set of options, whether given before or after the subcommand name.
  HostCommandOptions options;
  TestCommandOptions testExtras;
  addHostOptions(&app, &options);
  CLI::App* inspect = app.add_subcommand("inspect",
                                         "Show the module's name, build stamp, "
                                         "identifier, descriptor and classes");
  addHostOptions(inspect, &options);
  CLI::App* check = app.add_subcommand("check", "Check the module against the framework's rules");
  addHostOptions(check, &options);
  CLI::App* test = app.add_subcommand("test", "Run the module's test operation");
  addHostOptions(test, &options);
  test->add_flag("--no-test-service", testExtras.withoutTestService,
                 "Call runTests without a test service (the module reports that it got none)");

  try {
    // UTF-8 on every system, so non-ASCII paths and values reach the host intact.
    std::vector<std::string> arguments = platformUtf8Arguments(argc, argv);
    app.name(arguments.empty() ? "orn-host" : arguments.front());
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    if (!reversed.empty()) reversed.pop_back();  // the program's name
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }

  std::string reserveError;
  if (options.memoryReserveGiven &&
      !parseByteSize(options.memoryReserveText, &options.memoryReserve, &reserveError)) {
    return reportCommandError(options, "--memory-reserve: " + reserveError);
  }
  const HostCommandOptions& chosen = options;
  // A reserve this process could never hold (on a 32-bit host, from 2 GiB on) would be cut to
  // what fits in a size, or to nothing, without a word.
  const uint64_t largestReserve = std::numeric_limits<size_t>::max() / 2;
  if (chosen.memoryReserve > largestReserve) {
    return reportCommandError(chosen, "--memory-reserve: '" + chosen.memoryReserveText + "' (" +
                                          std::to_string(chosen.memoryReserve) +
                                          " bytes) is more than this process can hold (at most " +
                                          std::to_string(largestReserve) + ")");
  }
  // The reserve is touched when it is taken: more than the machine has would only push the
  // system into swapping or the process into being killed.
  SystemMemory machine;
  if (platformSystemMemory(&machine) && machine.physicalTotal != 0 &&
      chosen.memoryReserve > machine.physicalTotal) {
    return reportCommandError(chosen, "--memory-reserve: '" + chosen.memoryReserveText + "' (" +
                                          std::to_string(chosen.memoryReserve) +
                                          " bytes) is more than this machine's memory (" +
                                          std::to_string(machine.physicalTotal) + " bytes)");
  }
  try {
    OrnHostApp& host = makeHost(chosen);
    if (!configureHost(host, chosen)) return exitBadInput;
    if (check->parsed()) return runCheck(host, chosen);
    if (test->parsed()) return runTest(host, chosen, testExtras);
    return runInspect(host, chosen);
  } catch (const std::exception& e) {
    return reportCommandError(chosen, e.what());
  }
}
