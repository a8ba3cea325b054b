#include "hello_greeter.h"

ORN_REGISTER_CLASS(HelloGreeter, helloGreeterId);

OrnWString HelloGreeter::greet(const char* name) {
  const OrnWString who(name);
  return currentTranslator()->translate("Hello, %1!", &who);
}
