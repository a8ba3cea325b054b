// The phase of its work with a module that this process is in (loading it, its EntryPoint, the
// checks, runTests, unloading), for whoever watches the process from outside: orn-host's parent
// process reports the phase a module's process ended in.
#ifndef ORN_HOST_MODULE_PHASE_H_
#define ORN_HOST_MODULE_PHASE_H_

// The phases, by the names the watcher shows.
constexpr const char* modulePhaseLoad = "load";  // the system loader, the module's initialisers
constexpr const char* modulePhaseEntryPoint = "EntryPoint";
constexpr const char* modulePhaseInitialize = "initialize";
constexpr const char* modulePhaseChecks = "checks";  // the component's views and descriptor
constexpr const char* modulePhaseClassWalk = "class walk";
constexpr const char* modulePhaseInspection = "inspection";
constexpr const char* modulePhaseRunTests = "runTests";
constexpr const char* modulePhaseUnload = "unload";

// Called with each phase as it is entered, on the thread that enters it. Must not throw.
using ModulePhaseObserver = void (*)(const char* phase);

// Sets the one observer (null: none). Set before the work starts; not synchronised with it.
void setModulePhaseObserver(ModulePhaseObserver observer);
// Enters phase (a string that lives as long as the process). A phase entered while an exception
// unwinds the stack is not entered: the phase the exception came from stays the one reported.
void enterModulePhase(const char* phase) noexcept;
// The phase last entered; null before the first.
const char* currentModulePhase() noexcept;

#endif  // ORN_HOST_MODULE_PHASE_H_
