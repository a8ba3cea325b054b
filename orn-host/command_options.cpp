#include "orn-host/command_options.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "host/host_language.h"
#include "host/loaded_module.h"
#include "orn-host/safe_text.h"

std::string HostCommandOptions::modulePath() const {
  return module.empty() ? defaultModulePath() : module;
}

void addHostOptions(CLI::App* app, HostCommandOptions* options) {
  app->add_option("MODULE", options->module,
                  "Component module to load (default: component_template beside orn-host)");
  app->add_flag("--json", options->json, "Print the result as JSON");
  app->add_option("--settings", options->settingsFile,
                  "INI-style settings file; [Directories] 'Temp Directory = ...' sets the "
                  "temp directory");
  // One pair per --set, so that a MODULE after it stays the module; pairs given before and
  // after the subcommand name all count.
  app->add_option_function<std::vector<std::string>>(
         "--set",
         [options](const std::vector<std::string>& pairs) {
           options->settings.insert(options->settings.end(), pairs.begin(), pairs.end());
         },
         "Set one setting, e.g. --set \"Directories/Temp Directory=/var/tmp\"")
      ->type_name("KEY=VALUE")
      ->allow_extra_args(false);
  app->add_option("--lang", options->lang, "Language of module messages (e.g. de)");
  app->add_option("--catalogue", options->catalogue, "Message catalogue (gettext PO file)");
  app->add_option("--locale-dir", options->localeDir, "Directory with <lang>.po catalogues");
  // Kept as typed: the command reads it with a parser that names what it cannot hold.
  app->add_option_function<std::string>(
         "--memory-reserve",
         [options](const std::string& text) {
           options->memoryReserveGiven = true;
           options->memoryReserveText = text;
         },
         "Memory the host holds back for modules that run short (e.g. 8M, 0 for none; units "
         "B, K, M, G, T, P, E are powers of 1024)")
      ->type_name("SIZE");
  app->add_option("--memory-reserve-steps", options->memoryReserveSteps,
                  "Steps in which the reserve is given back")
      ->check(CLI::Range(1, 4096));
  app->add_option("--timeout", options->timeLimitText,
                  "Seconds each phase of the work with the module (loading, EntryPoint, the "
                  "checks, runTests, unloading) may take before its process is stopped; default "
                  "30, 0 for no limit")
      ->type_name("SECONDS");
  // The module's own process: the command's work, in the process its parent started.
  app->add_option("--as-module-process", options->moduleProcessChannel)->group("");
}

int reportCommandError(const HostCommandOptions& options, const std::string& message) {
  std::fprintf(stderr, "orn-host: %s\n", safeLines(message, "  ").c_str());
  if (options.json) printJsonDocument({{"error", message}});
  return exitBadInput;
}

int loadCommandModule(LoadedModule& module, const HostCommandOptions& options) {
  std::string error;
  if (!module.load(options.modulePath(), &error)) return reportCommandError(options, error);
  if (module.version() != ornInterfaceVersion) {
    return reportCommandError(
        options, module.path() + ": interface version " + std::to_string(module.version()) +
                     ", expected exactly " + std::to_string(ornInterfaceVersion));
  }
  return 0;
}

bool configureHost(OrnHostApp& host, const HostCommandOptions& options) {
  std::vector<SettingsProblem> settingsProblems;
  if (!options.settingsFile.empty()) {
    host.settings().loadFile(options.settingsFile, &settingsProblems);
  }
  for (const std::string& pair : options.settings) host.settings().setPair(pair, &settingsProblems);
  for (const SettingsProblem& problem : settingsProblems) {
    std::fprintf(stderr, "orn-host: %s\n", safeText(problem.toString()).c_str());
  }
  if (!settingsProblems.empty()) {
    if (options.json) {
      nlohmann::json errors = nlohmann::json::array();
      for (const SettingsProblem& p : settingsProblems) errors.push_back(p.toString());
      printJsonDocument({{"error", "bad settings"}, {"problems", errors}});
    }
    return false;
  }

  std::string file = options.catalogue;
  if (file.empty() && !options.lang.empty()) {
    const std::vector<std::string> dirs = catalogueDirectories(options.localeDir);
    file = findCatalogue(options.lang, dirs);
    if (file.empty()) {
      std::string where;
      for (const std::string& dir : dirs) where += (where.empty() ? "" : ", ") + dir;
      reportCommandError(options, "no message catalogue for language '" + options.lang +
                                      "' (looked in " + where + ")");
      return false;
    }
  }
  if (!file.empty()) {
    std::vector<CatalogueProblem> problems;
    std::string error;
    if (!loadCatalogue(host, file, &problems, &error)) {
      reportCommandError(options, error);
      return false;
    }
    for (const CatalogueProblem& problem : problems) {
      std::fprintf(stderr, "orn-host: warning: %s\n", safeText(problem.toString()).c_str());
    }
  }
  return true;
}
