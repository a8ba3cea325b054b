#include <cstdio>
#include <nlohmann/json.hpp>

#include "host/check/module_facts.h"
#include "host/loaded_module.h"
#include "orn-host/commands.h"
#include "orn-host/safe_text.h"
#include "orn-host/time_limit.h"

namespace {
nlohmann::json namesJson(const NameList& list) {
  nlohmann::json names = nlohmann::json::array();
  for (const ReportedName& n : list.names) {
    names.push_back(
        {{"name", n.name}, {"kind", n.isClass ? "class" : "interface"}, {"parent", n.parent}});
  }
  return names;
}

void printJson(const ModuleFacts& facts, double timeLimit) {
  nlohmann::json classes = nlohmann::json::array();
  for (const ClassFacts& c : facts.classes) {
    classes.push_back({{"identifier", c.id.toString()},
                       {"name", c.name},
                       {"created", c.created},
                       {"className", c.className},
                       {"interfaces", c.names.interfaceNames()},
                       {"names", namesJson(c.names)},
                       {"namesReported", c.names.reported}});
  }
  nlohmann::json out = {
      {"module", facts.path},
      {"interfaceVersion", facts.version},
      {"name", facts.name},
      {"buildStamp", facts.buildStamp},
      {"identifier", facts.identifier},
      {"classCount", facts.classCount},
      {"classes", classes},
      {"classWalkEnds", !facts.walkEndless},
      {"timeLimitSeconds", timeLimit > 0 ? nlohmann::json(timeLimit) : nlohmann::json(nullptr)},
  };
  if (facts.hasDescriptor) {
    out["descriptor"] = {{"version", facts.descriptorVersion},
                         {"size", facts.descriptorBytes.size()},
                         {"claimedSize", facts.descriptorClaimedSize},
                         {"bytes", hexBytes(facts.descriptorBytes)}};
    if (!facts.descriptorProblem.empty()) out["descriptor"]["problem"] = facts.descriptorProblem;
  } else {
    out["descriptor"] = nullptr;
  }
  printJsonDocument(out);
}

void printText(const ModuleFacts& facts, double timeLimit) {
  // Everything but the counts and the hex bytes is the module's own text: escaped.
  std::printf("module:      %s\n", safeText(facts.path).c_str());
  std::printf("time limit:  %s\n", timeLimitText(timeLimit).c_str());
  std::printf("name:        %s\n", safeText(facts.name).c_str());
  std::printf("build stamp: %s\n", safeText(facts.buildStamp).c_str());
  std::printf("identifier:  %s\n", safeText(facts.identifier).c_str());
  if (facts.hasDescriptor) {
    std::printf("descriptor:  version %d, %d bytes: %s\n", facts.descriptorVersion,
                static_cast<int>(facts.descriptorBytes.size()),
                hexBytes(facts.descriptorBytes).c_str());
    if (!facts.descriptorProblem.empty()) {
      std::printf("             (%s)\n", facts.descriptorProblem.c_str());
    }
  } else {
    std::printf("descriptor:  none\n");
  }
  std::printf("classes:     %d\n", facts.classCount);
  if (facts.walkEndless) {
    std::printf("  (the walk did not end after %d classes; the first %d are shown)\n",
                static_cast<int>(classWalkSteps(facts.classCount)),
                static_cast<int>(facts.classes.size()));
  }
  for (const ClassFacts& c : facts.classes) {
    std::printf("  %s  %s\n", c.id.toString().c_str(),
                c.name.empty() ? "?" : safeText(c.name).c_str());
    if (!c.created) {
      std::printf("      (createInstance gave no object)\n");
      continue;
    }
    std::string interfaces;
    for (const std::string& name : c.names.interfaceNames()) {
      interfaces += (interfaces.empty() ? "" : ", ") + safeText(name);
    }
    std::printf("      interfaces: %s\n", c.names.declined     ? "(not listed)"
                                          : interfaces.empty() ? "none"
                                                               : interfaces.c_str());
    if (c.names.cutShort()) {
      std::printf("      (%lld names reported, %d shown)\n",
                  static_cast<long long>(c.names.reported), static_cast<int>(c.names.names.size()));
    }
  }
}
}  // namespace

int runInspect(OrnHostApp& host, const HostCommandOptions& options) {
  LoadedModule module;
  if (const int status = loadCommandModule(module, options)) return status;
  module.attach(host);
  const ModuleFacts facts = inspectModule(module);
  module.unload();
  if (options.json) {
    printJson(facts, options.timeLimit);
  } else {
    printText(facts, options.timeLimit);
  }
  return exitOk;
}
