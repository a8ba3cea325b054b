// orn-host: loads a component module, attaches itself and prints what the component says.
#include <cstdio>
#include <string>

#include "core/component.h"
#include "host/orn_host.h"
#include "platform/module_loader.h"

namespace {
#if defined(_WIN32)
const char* const defaultModuleName = "component_template.dll";
#else
const char* const defaultModuleName = "component_template.so";
#endif

using EntryPointFunction = int (*)(int*, IOrnComponent**);

std::string hexBytes(const uint8_t* data, int32_t size) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (int32_t i = 0; i < size; ++i) {
    if (i) out += ' ';
    out += digits[data[i] >> 4];
    out += digits[data[i] & 15];
  }
  return out;
}
}  // namespace

int main(int argc, char** argv) {
  const std::string path =
      argc > 1 ? argv[1] : platformExecutableDirectory() + defaultModuleName;
  if (!platformFileExists(path)) {
    std::fprintf(stderr, "orn-host: %s: no such file\n", path.c_str());
    return 2;
  }
  std::string error;
  ModuleHandle module = platformLoadModule(path, &error);
  if (module == nullptr) {
    std::fprintf(stderr, "orn-host: %s: not a loadable module: %s\n", path.c_str(), error.c_str());
    return 2;
  }
  auto entry = reinterpret_cast<EntryPointFunction>(platformModuleSymbol(module, "EntryPoint"));
  if (entry == nullptr) {
    std::fprintf(stderr, "orn-host: %s: the module has no EntryPoint export\n", path.c_str());
    platformUnloadModule(module);
    return 2;
  }
  int version = 0;
  IOrnComponent* component = nullptr;
  if (entry(&version, &component) == 0 || component == nullptr) {
    std::fprintf(stderr, "orn-host: %s: EntryPoint returned no component\n", path.c_str());
    platformUnloadModule(module);
    return 3;
  }
  if (version != ornInterfaceVersion) {
    std::fprintf(stderr, "orn-host: %s: interface version %d, expected exactly %d\n",
                 path.c_str(), version, ornInterfaceVersion);
    platformUnloadModule(module);
    return 3;
  }
  static OrnHostApp host;  // outlives the module's exit list
  component->addRef();
  component->initialize(&host);
  void* view = nullptr;
  component->queryInterface(IOrnCompInternal::lookupName, &view, 0);
  auto* internal = static_cast<IOrnCompInternal*>(view);
  IOrnClcBinary* descriptor = component->descriptor();
  std::printf("name:        %s\n", internal ? internal->name() : "?");
  std::printf("build stamp: %s\n", component->buildStamp());
  std::printf("identifier:  %s\n", internal ? internal->identifier()->toString().c_str() : "?");
  if (descriptor != nullptr) {
    std::printf("descriptor:  version %d, %d bytes: %s\n", descriptor->version(),
                descriptor->size(), hexBytes(descriptor->data(), descriptor->size()).c_str());
  }
  component->terminate();
  component->release();
  platformUnloadModule(module);
  return 0;
}
