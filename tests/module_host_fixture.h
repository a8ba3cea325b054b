// Loads the built component_template the way a host does and talks to it only through
// EntryPoint and the interfaces.
#ifndef ORN_TESTS_MODULE_HOST_FIXTURE_H_
#define ORN_TESTS_MODULE_HOST_FIXTURE_H_

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/component.h"
#include "host/module_lifetime.h"
#include "platform/module_loader.h"

using EntryPointFunction = int (*)(int*, IOrnComponent**);

// The module never frees its start-up objects, class cursor, test list or own pool; after an
// unload they are unreachable. While a module is loaded here, allocations are not leak-checked
// (the host's leak report covers module objects; the unit tests cover the framework's code).
class LoadedModule : public testing::Test {
 protected:
  void SetUp() override { load(); }
  void load() {
    lifetime_.reset(new ModuleLifetimeScope());
    path_ = platformExecutableDirectory() + ORN_MODULE_FILE;
    std::string error;
    module_ = platformLoadModule(path_, &error);
    ASSERT_NE(module_, nullptr) << path_ << ": " << error;
    entryPoint_ = reinterpret_cast<EntryPointFunction>(platformModuleSymbol(module_, "EntryPoint"));
    ASSERT_NE(entryPoint_, nullptr);
  }
  void TearDown() override { unload(); }
  void unload() {
    platformUnloadModule(module_);
    module_ = nullptr;
    lifetime_.reset();
  }
  IOrnComponent* newComponent() {
    int version = 0;
    IOrnComponent* component = nullptr;
    EXPECT_EQ(entryPoint_(&version, &component), 1);
    EXPECT_EQ(version, 100);
    return component;
  }
  template <class I>
  static I* view(IOrnUnknown* object) {
    void* out = nullptr;
    return object->queryInterface(I::lookupName, &out, 0) ? static_cast<I*>(out) : nullptr;
  }

  std::unique_ptr<ModuleLifetimeScope> lifetime_;
  std::string path_;
  ModuleHandle module_ = nullptr;
  EntryPointFunction entryPoint_ = nullptr;
};

#endif  // ORN_TESTS_MODULE_HOST_FIXTURE_H_
