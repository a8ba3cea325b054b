#include "host/loaded_module.h"

#include <filesystem>

#include "host/module_file.h"
#include "host/module_lifetime.h"
#include "host/module_phase.h"
#include "host/orn_host.h"

namespace {
using EntryPointFunction = int (*)(int*, IOrnComponent**);
}  // namespace

std::string defaultModulePath() {
#if defined(_WIN32)
  return platformExecutableDirectory() + "component_template.dll";
#else
  return platformExecutableDirectory() + "component_template.so";
#endif
}

bool LoadedModule::load(const std::string& path, std::string* error) {
  unload();
  path_ = path;
  if (path.empty()) {
    *error = "no module path given";
    return false;
  }
  // Before the loader maps it: a FIFO would block the load, a truncated file fault in it.
  if (checkModuleFile(path, nativeModuleFormat, error) != ModuleFileVerdict::loadable) {
    return false;
  }
  // A bare file name would send the loader searching its library path instead of this directory.
  std::error_code ignored;
  const std::string absolute =
      std::filesystem::absolute(std::filesystem::u8path(path), ignored).u8string();
  ModuleLifetimeScope lifetime;  // the module's start-up objects
  enterModulePhase(modulePhaseLoad);
  std::string why;
  handle_ = platformLoadModule(absolute.empty() ? path : absolute, &why);
  if (handle_ == nullptr) {
    *error = path + ": not a loadable module" + (why.empty() ? "" : ": " + why);
    return false;
  }
  auto entry = reinterpret_cast<EntryPointFunction>(platformModuleSymbol(handle_, "EntryPoint"));
  if (entry == nullptr) {
    *error = path + ": the module has no EntryPoint export";
    unload();
    return false;
  }
  int version = 0;
  IOrnComponent* component = nullptr;
  enterModulePhase(modulePhaseEntryPoint);
  if (entry(&version, &component) == 0 || component == nullptr) {
    *error = path + ": EntryPoint returned no component";
    unload();
    return false;
  }
  version_ = version;
  component_ = component;
  return true;
}

void LoadedModule::attach(OrnHostApp& host) {
  if (component_ == nullptr || attached_) return;
  enterModulePhase(modulePhaseInitialize);
  component_->initialize(&host);
  component_->addRef();
  attached_ = true;
  void* view = nullptr;
  if (component_->queryInterface(IOrnCompInternal::lookupName, &view, 0)) {
    internal_ = static_cast<IOrnCompInternal*>(view);
  }
}

void LoadedModule::unload() {
  if (component_ != nullptr || handle_ != nullptr) enterModulePhase(modulePhaseUnload);
  if (component_ != nullptr && attached_) {
    component_->terminate();
    component_->release();
  }
  component_ = nullptr;
  internal_ = nullptr;
  attached_ = false;
  version_ = 0;
  if (handle_ != nullptr) {
    platformUnloadModule(handle_);
    handle_ = nullptr;
  }
}
