// ORN_REGISTER_CLASS at namespace scope, as a module registers its classes: classes named with a
// namespace, two classes of one short name in different namespaces, and a class at global scope
// named with a leading "::". Its own executable, since these fill the binary's one registry.
#include <gtest/gtest.h>

#include <string>

#include "core/class_factory.h"

namespace shapes {
struct Circle : public IOrnUnknown {
  static constexpr const char* classNameText = "shapes.Circle";
  bool queryInterface(const char* name, void** out, int) override {
    return queryClass(name, out, this, classNameText, false);
  }
  const char* className() override { return classNameText; }
};
}  // namespace shapes

namespace drawing {
struct Circle : public shapes::Circle {
  static constexpr const char* classNameText = "drawing.Circle";
  const char* className() override { return classNameText; }
};
}  // namespace drawing

struct Square : public shapes::Circle {
  static constexpr const char* classNameText = "Square";
  const char* className() override { return classNameText; }
};

namespace {
const OrnID shapesCircleId(0x5EED0001, 0x0001, 0x0001, {0, 0, 0, 0, 0, 0, 0, 1});
const OrnID drawingCircleId(0x5EED0002, 0x0001, 0x0001, {0, 0, 0, 0, 0, 0, 0, 2});
const OrnID squareId(0x5EED0003, 0x0001, 0x0001, {0, 0, 0, 0, 0, 0, 0, 3});
}  // namespace

ORN_REGISTER_CLASS(shapes::Circle, shapesCircleId);
ORN_REGISTER_CLASS(drawing::Circle, drawingCircleId);
ORN_REGISTER_CLASS(::Square, squareId);

namespace {
// The class the registry makes for id, by its className(); empty when it makes none.
std::string madeFor(const OrnID& id) {
  IOrnUnknown* object = nullptr;
  if (defaultClassFactory()->createInstance(id, &object) != 1 || object == nullptr) return "";
  object->addRef();
  const std::string name = object->className();
  object->release();
  return name;
}
}  // namespace

TEST(ClassRegistration, NamespacedClassesRegisterUnderTheirOwnIdentifiers) {
  EXPECT_EQ(defaultClassFactory()->classCount(), 3);
  EXPECT_EQ(madeFor(shapesCircleId), "shapes.Circle");
  EXPECT_EQ(madeFor(drawingCircleId), "drawing.Circle");
  EXPECT_EQ(madeFor(squareId), "Square");
  EXPECT_STREQ(defaultClassFactory()->classNameOf(drawingCircleId), "drawing.Circle");
}
