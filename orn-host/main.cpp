// orn-host: loads a component module the way a host does and inspects it, checks it against the
// framework's rules, or runs its tests. The work with the module runs in a child process of its
// own (orn-host/module_process.h); this process watches it.
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
#include "orn-host/module_process.h"
#include "orn-host/safe_text.h"
#include "orn-host/time_limit.h"
#include "platform/child_process.h"
#include "platform/command_line.h"
#include "platform/process_memory.h"

namespace {
// The host outlives every module and the exit list of this process: never destroyed.
OrnHostApp& makeHost(const HostCommandOptions& options) {
  OrnHostOptions hostOptions;
  hostOptions.memoryReserveBytes = static_cast<size_t>(options.memoryReserve);
  hostOptions.memoryReserveSteps = options.memoryReserveSteps;
  static OrnHostApp* host = new OrnHostApp(hostOptions);
  // Module messages reach the terminal escaped, their own lines indented under the first.
  host->errors().setEchoText([](const std::string& text) { return safeLines(text, "    "); });
  host->assertions().setEchoText([](const std::string& text) { return safeText(text); });
  return *host;
}

// Whether --json was among the arguments, for errors found before the options are known.
bool asksForJson(const std::vector<std::string>& arguments) {
  for (size_t i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == "--") return false;
    if (arguments[i] == "--json") return true;
  }
  return false;
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
  app.footer(
      "The module is loaded in a child process of orn-host's own, started with the same "
      "options; each phase (load, EntryPoint, initialize, the checks or the inspection, "
      "runTests, unload) may take --timeout seconds. A module that exits, crashes or hangs "
      "ends that process only: orn-host says how and in which phase, and shows what the "
      "module reported.\n"
      "Exit status: 0 ok; 1 checks failed (test: the tests reported errors); 2 bad input; "
      "3 the module's process ended abnormally (an exit, a signal, an exception not caught) "
      "or ran past its time limit.");

  std::vector<std::string> arguments;
  try {
    // UTF-8 on every system, so non-ASCII paths and values reach the host intact.
    arguments = platformUtf8Arguments(argc, argv);
    app.name(arguments.empty() ? "orn-host" : arguments.front());
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    if (!reversed.empty()) reversed.pop_back();  // the program's name
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);  // --help, --version
    // The words typed come back escaped: they may hold anything.
    std::fprintf(stderr, "orn-host: %s\nRun with --help for more information.\n",
                 safeText(e.what()).c_str());
    if (options.json || asksForJson(arguments)) {
      printJsonDocument({{"error", e.what()}});
    }
    return exitBadInput;
  }

  if (!options.timeLimitText.empty()) {
    std::string error;
    if (!parseTimeLimit(options.timeLimitText, &options.timeLimit, &error)) {
      return reportCommandError(options, error);
    }
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
  if (chosen.moduleProcessChannel.empty()) {
    if (!arguments.empty()) arguments.erase(arguments.begin());  // the program's name
    const char* command = check->parsed() ? "check" : test->parsed() ? "test" : "inspect";
    return runInModuleProcess(arguments, chosen, command);
  }

  // The module's process: the command's own work.
  std::string error;
  if (!beginModuleProcess(chosen.moduleProcessChannel, &error)) {
    return reportCommandError(chosen, error);
  }
  // With --json stdout carries the document alone: what the module prints goes to stderr.
  if (chosen.json) {
    if (std::FILE* document = platformSetAsideStandardOutput()) setJsonDocumentStream(document);
  }
  int status = exitOk;
  try {
    OrnHostApp& host = makeHost(chosen);
    passOnReports(host.errors());
    if (!configureHost(host, chosen)) {
      status = exitBadInput;
    } else if (check->parsed()) {
      status = runCheck(host, chosen);
    } else if (test->parsed()) {
      status = runTest(host, chosen, testExtras);
    } else {
      status = runInspect(host, chosen);
    }
  } catch (const std::exception& e) {
    status = reportUncaughtException(chosen, e.what());
  } catch (...) {
    status = reportUncaughtException(chosen, nullptr);
  }
  finishModuleProcess(status);
  return status;
}
