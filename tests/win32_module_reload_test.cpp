// A host that loads, uses and frees the module again and again in one process: every unload runs
// the module's exit list (FreeLibrary on Windows, dlclose on Linux) and unmaps it, every load
// starts from fresh module-globals, and nothing of one load disturbs the next. Threads that come
// and go while the module is loaded reach its DLL entry function harmlessly.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/component.h"
#include "host/check/module_checks.h"
#include "host/loaded_module.h"
#include "host/module_lifetime.h"
#include "host/orn_host.h"
#include "platform/module_loader.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {

// The host outlives every module and the exit list of this process: never destroyed.
OrnHostApp& processHost() {
  static OrnHostApp* host = [] {
    OrnHostApp* made = new OrnHostApp(OrnHostOptions{0, 1, 'O'});
    made->errors().setEcho(nullptr);
    return made;
  }();
  return *host;
}

std::string builtModule(const std::string& name) {
  return platformExecutableDirectory() + name + ORN_MODULE_SUFFIX;
}

// True while a module of that file name is mapped into the process.
bool moduleMapped(const std::string& fileName) {
#ifdef _WIN32
  const std::wstring wide(fileName.begin(), fileName.end());
  return GetModuleHandleW(wide.c_str()) != nullptr;
#else
  (void)fileName;
  return false;  // dlclose gives no such answer; the checks below still see a fresh start
#endif
}

std::string failedRules(const CheckReport& report) {
  std::string failed;
  for (const CheckResult& check : report.checks) {
    if (check.outcome != CheckOutcome::pass) failed += check.name + ": " + check.detail + "\n";
  }
  return failed;
}

CheckReport checked(const std::string& path) {
  CheckReport report;
  std::string error;
  EXPECT_TRUE(checkModule(processHost(), path, &report, &error)) << error;
  EXPECT_EQ(report.checks.size(), 14u) << path;
  return report;
}

TEST(Win32ModuleReload, EveryCheckPassesOnEveryLoadAndEachUnloadUnmaps) {
  const std::string path = builtModule("component_template");
  for (int round = 1; round <= 6; ++round) {
    const CheckReport report = checked(path);
    // The check holds every rule, among them: the services are all released after unload
    // (the exit list ran at the unload, not at process end), no module object is left held,
    // and the descriptor and counts start afresh.
    EXPECT_TRUE(report.allPassed()) << "round " << round << "\n" << failedRules(report);
    EXPECT_TRUE(report.heldObjects.empty()) << "round " << round;
    EXPECT_FALSE(moduleMapped(std::string("component_template") + ORN_MODULE_SUFFIX))
        << "round " << round;
  }
}

TEST(Win32ModuleReload, ModulesTakingTurnsGetTheSameVerdictEachRound) {
  struct Expected {
    std::string module;
    int failed;
  };
  const Expected modules[] = {
      {"component_template", 0}, {"broken_leaked_service", 1}, {"broken_created_at_one", 2}};
  for (int round = 1; round <= 3; ++round) {
    for (const Expected& expected : modules) {
      const CheckReport report = checked(builtModule(expected.module));
      EXPECT_EQ(report.count(CheckOutcome::fail), expected.failed)
          << expected.module << " round " << round << "\n"
          << failedRules(report);
      EXPECT_EQ(report.count(CheckOutcome::skip), 0) << expected.module;
    }
  }
}

TEST(Win32ModuleReload, ModuleAtANonAsciiPathWithSpacesLoadsAndPasses) {
  const fs::path dir = fs::temp_directory_path() / fs::u8path(u8"orn-reload-Zoë dir");
  std::error_code ignored;
  fs::remove_all(dir, ignored);
  fs::create_directories(dir);
  const fs::path copy = dir / fs::u8path(std::string(u8"Tëmp ü") + ORN_MODULE_SUFFIX);
  fs::copy_file(fs::u8path(builtModule("component_template")), copy);
  for (int round = 1; round <= 2; ++round) {
    const CheckReport report = checked(copy.u8string());
    EXPECT_TRUE(report.allPassed()) << failedRules(report);
  }
  fs::remove_all(dir, ignored);
}

#ifdef _WIN32
// The names a loaded image imports from dll (case-insensitive), read from its import table.
std::vector<std::string> importsOf(HMODULE image, const char* dll) {
  std::vector<std::string> names;
  const auto* base = reinterpret_cast<const unsigned char*>(image);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& entry =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (entry.VirtualAddress == 0) return names;
  for (const auto* d =
           reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + entry.VirtualAddress);
       d->Name != 0; ++d) {
    if (_stricmp(reinterpret_cast<const char*>(base + d->Name), dll) != 0) continue;
    const DWORD lookup = d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk;
    for (const auto* thunk = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + lookup);
         thunk->u1.AddressOfData != 0; ++thunk) {
      if (IMAGE_SNAP_BY_ORDINAL(thunk->u1.Ordinal)) continue;
      const auto* byName =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + thunk->u1.AddressOfData);
      names.emplace_back(reinterpret_cast<const char*>(byName->Name));
    }
  }
  return names;
}

TEST(Win32ModuleReload, TheModulesOwnDllMainAsksForNoThreadNotifications) {
  ModuleLifetimeScope lifetime;
  std::string error;
  ModuleHandle module = platformLoadModule(builtModule("component_template"), &error);
  ASSERT_NE(module, nullptr) << error;
  const std::vector<std::string> imports = importsOf(static_cast<HMODULE>(module), "KERNEL32.dll");
  bool asks = false;
  for (const std::string& name : imports) asks = asks || name == "DisableThreadLibraryCalls";
  EXPECT_TRUE(asks) << "the DLL's entry function is not the framework's";
  platformUnloadModule(module);
}
#endif

// Threads that start and end while the module is loaded reach its entry function (the loader
// keeps thread notifications for a DLL with static TLS) and use the module meanwhile.
TEST(Win32ModuleReloadThreaded, ThreadsComingAndGoingWhileLoadedDoNoHarm) {
  OrnHostApp& host = processHost();
  for (int round = 1; round <= 3; ++round) {
    LoadedModule module;
    std::string error;
    ASSERT_TRUE(module.load(builtModule("component_template"), &error)) << error;
    module.attach(host);
    ASSERT_NE(module.internal(), nullptr);
    OrnID firstClass{};
    {
      ModuleLifetimeScope lifetime;  // the class walk builds the module's cursor
      ASSERT_TRUE(module.internal()->firstClass(firstClass));
    }

    std::atomic<int> failures{0};
    for (int wave = 0; wave < 4; ++wave) {
      std::vector<std::thread> threads;
      for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
          ModuleLifetimeScope lifetime;
          for (int k = 0; k < 50; ++k) {
            IOrnUnknown* object = nullptr;
            if (module.component()->createInstance(firstClass, &object) != 1 || object == nullptr) {
              failures.fetch_add(1);
              continue;
            }
            object->addRef();
            void* view = nullptr;
            if (!object->queryInterface("IOrnUnknown", &view, 0)) failures.fetch_add(1);
            object->release();
          }
        });
      }
      for (std::thread& thread : threads) thread.join();
    }
    EXPECT_EQ(failures.load(), 0) << "round " << round;
    module.unload();
    EXPECT_TRUE(host.tracker().heldObjects().empty()) << "round " << round;
    host.tracker().clear();
    host.pool().dropForeignBlocks();
  }
}

}  // namespace
