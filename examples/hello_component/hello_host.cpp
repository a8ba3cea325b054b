// hello_host: a host of its own built on Orn::host. Loads a module that offers HelloGreeter,
// creates the greeter through the component and prints its greeting.
//   hello_host MODULE [NAME]
// Exit status: 0 greeted, 1 the module offers no greeter, 2 the module could not be loaded.
#include <orn/host.h>

#include <cstdio>
#include <string>

#include "hello_greeter.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: hello_host MODULE [NAME]\n");
    return 2;
  }
  // The host outlives the module: unloading runs the module's exit list, which releases the
  // services it holds through the host.
  OrnHostApp host;
  LoadedModule module;
  std::string error;
  if (!module.load(argv[1], &error)) {
    std::fprintf(stderr, "hello_host: %s\n", error.c_str());
    return 2;
  }
  module.attach(host);

  IOrnUnknown* object = nullptr;
  if (!module.component()->createInstance(helloGreeterId, &object) || object == nullptr) {
    std::fprintf(stderr, "hello_host: %s offers no HelloGreeter\n", argv[1]);
    return 1;
  }
  object->addRef();  // new objects start at 0: the host takes its own reference
  void* view = nullptr;
  int status = 1;
  if (object->queryInterface(IHelloGreeter::lookupName, &view, 0) && view != nullptr) {
    const OrnWString greeting =
        static_cast<IHelloGreeter*>(view)->greet(argc > 2 ? argv[2] : "world");
    std::printf("%s\n", toUtf8(greeting).c_str());
    status = 0;
  } else {
    std::fprintf(stderr, "hello_host: HelloGreeter does not answer IHelloGreeter\n");
  }
  object->release();  // the last release destroys it
  return status;
}
