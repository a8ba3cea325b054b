// An example class of the component_template module: a counter with an interface of its own.
// It shows a plug-in author how a class is written, registered, created and enumerated.
#ifndef ORN_COMPONENT_EXAMPLE_COUNTER_H_
#define ORN_COMPONENT_EXAMPLE_COUNTER_H_

#include <cstdint>

#include "core/interface_map.h"
#include "core/object.h"
#include "core/orn_id.h"

// The class's own interface; a host reaches it with queryInterface("IExampleCounter").
class IExampleCounter : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "IExampleCounter";
  // Adds step and returns the new value; past INT32_MAX or INT32_MIN the value wraps around.
  virtual int32_t increment(int32_t step) = 0;
  virtual int32_t value() = 0;
};

// Each instance counts on its own; created with reference count 0 by the class factory. Its
// interface map (OrnImplements) names the class and its one interface: it answers
// "ExampleCounter", "IOrnUnknown" and "IExampleCounter", and enumerates the same.
class ExampleCounter : public OrnImplements<ExampleCounter, IExampleCounter> {
 public:
  static constexpr const char* classNameText = "ExampleCounter";

  int32_t increment(int32_t step) override;
  int32_t value() override { return value_; }

 private:
  int32_t value_ = 0;
};

// The class identifier under which ExampleCounter is registered.
inline const OrnID exampleCounterId(0x6F726E31, 0x6578, 0x616D,
                                    {0x63, 0x6F, 0x75, 0x6E, 0x74, 0x65, 0x72, 0x01});

#endif  // ORN_COMPONENT_EXAMPLE_COUNTER_H_
