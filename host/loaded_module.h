// LoadedModule: a component module loaded the way a host loads it, with its component attached
// to a host.
#ifndef ORN_HOST_LOADED_MODULE_H_
#define ORN_HOST_LOADED_MODULE_H_

#include <exception>
#include <string>

#include "core/component.h"
#include "platform/module_loader.h"

class OrnHostApp;

// The file name of the component_template module built beside the running executable.
std::string defaultModulePath();

// Owns the module handle and the host's one reference on the component. Not copyable. The host
// it is attached to must outlive it: unloading runs the module's exit list, which releases
// services through the host.
class LoadedModule {
 public:
  LoadedModule() = default;
  // Unloads, except while an exception unwinds the stack: it may be the module's, whose type,
  // what() and destructor must stay mapped until it has been handled. The module then stays
  // loaded for the rest of the process.
  ~LoadedModule() {
    if (std::uncaught_exceptions() == 0) unload();
  }
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  // Checks the file (checkModuleFile), loads it and calls EntryPoint. False with a one-line *error
  // for a missing file, a file that is not a whole module of this build's kind, a module without
  // EntryPoint, or an EntryPoint that returns no component. A version other than 100 still loads
  // (see version()); the caller decides.
  bool load(const std::string& path, std::string* error);
  // Attaches host (initialize) and then takes the host's reference on the component, so that
  // every count change of the component runs through the host's hooks.
  void attach(OrnHostApp& host);
  // terminate, the host's release of the component, then the unload. Safe to call twice.
  void unload();

  const std::string& path() const { return path_; }
  int version() const { return version_; }
  IOrnComponent* component() const { return component_; }
  // The component's IOrnCompInternal view, or null when it does not answer that name.
  IOrnCompInternal* internal() const { return internal_; }
  bool attached() const { return attached_; }

 private:
  std::string path_;
  ModuleHandle handle_ = nullptr;
  int version_ = 0;
  IOrnComponent* component_ = nullptr;
  IOrnCompInternal* internal_ = nullptr;
  bool attached_ = false;
};

#endif  // ORN_HOST_LOADED_MODULE_H_
