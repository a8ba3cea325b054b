#include "host/module_phase.h"

#include <atomic>
#include <exception>

namespace {
std::atomic<ModulePhaseObserver> phaseObserver{nullptr};
std::atomic<const char*> phase{nullptr};
}  // namespace

void setModulePhaseObserver(ModulePhaseObserver observer) { phaseObserver.store(observer); }

void enterModulePhase(const char* next) noexcept {
  if (std::uncaught_exceptions() > 0) return;
  phase.store(next);
  if (ModulePhaseObserver observer = phaseObserver.load()) observer(next);
}

const char* currentModulePhase() noexcept { return phase.load(); }
