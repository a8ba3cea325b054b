// One honest class for the hostile cases to register, so that their component has a class to
// walk and create.
#ifndef ORN_TESTS_HOSTILE_PLAIN_CLASS_H_
#define ORN_TESTS_HOSTILE_PLAIN_CLASS_H_

#include "core/class_factory.h"
#include "core/object.h"

class PlainClass : public IOrnUnknown {
 public:
  static constexpr const char* classNameText = "PlainClass";
  bool queryInterface(const char* name, void** out, int) override {
    return queryClass(name, out, this, classNameText, false);
  }
  const char* className() override { return classNameText; }
};

#endif  // ORN_TESTS_HOSTILE_PLAIN_CLASS_H_
