// A module's exit list belongs to the module: it runs when the module is unloaded, and nothing of
// it is left for the process's own exit.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "host/loaded_module.h"
#include "host/orn_host.h"

namespace {

// Regression: the exit list was filed with plain atexit; where that is intercepted
// (ThreadSanitizer) the actions ran at process exit, after the module's code was unmapped, and
// the process crashed on its way out.
TEST(HardeningModuleUnloadDeathTest, UnloadedModuleLeavesNothingToRunAtExit) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        static OrnHostApp* host = new OrnHostApp(OrnHostOptions{0, 1, 'O'});
        host->errors().setEcho(nullptr);
        LoadedModule module;
        std::string error;
        if (!module.load(defaultModulePath(), &error)) std::exit(3);
        module.attach(*host);
        module.component()->descriptor();  // registers the descriptor's teardown
        module.unload();
        host->pool().dropForeignBlocks();
        std::exit(0);
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
