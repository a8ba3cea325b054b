#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "platform/module_loader.h"

ModuleHandle platformLoadModule(const std::string& path, std::string* error) {
  // RTLD_LOCAL: the module binds to its own globals; RTLD_NOW: fail here, not at first call.
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr && error != nullptr) {
    const char* why = dlerror();
    *error = why ? why : "cannot load module";
  }
  return handle;
}

void* platformModuleSymbol(ModuleHandle module, const char* name) {
  return module ? dlsym(module, name) : nullptr;
}

void platformUnloadModule(ModuleHandle module) {
  if (module != nullptr) dlclose(module);
}

std::string platformExecutableDirectory() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "./";
  std::string path(buffer, static_cast<size_t>(n));
  return path.substr(0, path.find_last_of('/') + 1);
}

bool platformFileExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}
