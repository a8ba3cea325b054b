#include "hello_greeter.h"

ORN_REGISTER_CLASS(HelloGreeter, helloGreeterId);

OrnWString HelloGreeter::greet(const char* name) {
  const OrnWString who(name);
  return currentTranslator()->translate("Hello, %1!", &who);
}

bool HelloGreeter::queryInterface(const char* name, void** out, int /*options*/) {
  return queryClass(name, out, this, classNameText, false) ||
         queryInterfaceName(name, out, static_cast<IHelloGreeter*>(this),
                            IHelloGreeter::lookupName);
}
