// HelloGreeter: a class of the hello_component module with an interface of its own.
#ifndef HELLO_GREETER_H_
#define HELLO_GREETER_H_

#include <orn/module.h>

// A host reaches it with queryInterface("IHelloGreeter").
class IHelloGreeter : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "IHelloGreeter";
  // "Hello, <name>!" in the host's language; the caller owns the result.
  virtual OrnWString greet(const char* name) = 0;
};

// Created with count 0 by the class factory; the host takes its own reference. Its interface
// map answers "HelloGreeter", "IOrnUnknown" and "IHelloGreeter".
class HelloGreeter : public OrnImplements<HelloGreeter, IHelloGreeter> {
 public:
  static constexpr const char* classNameText = "HelloGreeter";

  OrnWString greet(const char* name) override;
};

inline const OrnID helloGreeterId(0x48656C6C, 0x6F47, 0x7265,
                                  {0x65, 0x74, 0x65, 0x72, 0x00, 0x00, 0x00, 0x01});

#endif  // HELLO_GREETER_H_
