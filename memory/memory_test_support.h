// Shared by the memory tests: a host offering the memory services, a real spill directory, and
// what death tests need to see the user's message and the exit status.
#ifndef ORN_MEMORY_MEMORY_TEST_SUPPORT_H_
#define ORN_MEMORY_MEMORY_TEST_SUPPORT_H_

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "memory/out_of_memory.h"
#include "platform/config.h"
#include "testhost/memory_services.h"
#include "testhost/recording_services.h"
#include "testhost/settings_services.h"
#include "testhost/test_host.h"

// A host service for the whole process: the test keeps a reference of its own, so the module's
// last release (the exit list runs it at process end) never destroys it.
template <class T, class... Args>
T& processLifetime(Args&&... args) {
  static std::vector<T*>* kept = new std::vector<T*>();
  T* made = new T(std::forward<Args>(args)...);
  made->refCountField = 1;
  kept->push_back(made);
  return *made;
}

// exit(-1) as the parent of a death test sees it.
#ifdef _WIN32
#define ORN_EXITED_MINUS_ONE testing::ExitedWithCode(-1)
#else
#define ORN_EXITED_MINUS_ONE testing::ExitedWithCode(255)
#endif

inline size_t occurrencesOf(const std::string& haystack, const std::string& needle) {
  size_t count = 0;
  for (size_t at = haystack.find(needle); at != std::string::npos;
       at = haystack.find(needle, at + needle.size())) {
    ++count;
  }
  return count;
}

// The death test's stderr holds needle exactly `times` times.
MATCHER_P2(ShowsTimes, needle, times,
           "shows \"" + std::string(needle) + "\" exactly " + std::to_string(times) + " time(s)") {
  return occurrencesOf(arg, needle) == static_cast<size_t>(times);
}

// What an echoing error service prints for the out-of-memory message (untranslated).
inline std::string shownOutOfMemoryMessage() {
  return std::string("error service: ") + ubrOutOfMemoryText;
}

// A test with a host that offers an echoing error service, an assertion handler and a data store
// whose temporary directory is a real, empty directory of this test's own. The directory's name
// depends only on the test, so that a death test's child (re-run from the start on Windows) finds
// the same one.
class MemoryHostTest : public testing::Test {
 protected:
  void SetUp() override {
    host = &attachTestHost();
    errors.echoToStderr = true;
    host->offer<IOrnErrorService>(&errors);
    host->offer<IOrnAssertHandlerCB>(&asserts);
    host->offer<IDataStore>(&settings);
    std::error_code ignored;
    std::filesystem::remove_all(spillDirectory(), ignored);
    std::filesystem::create_directories(spillDirectory());
    settings.set("Directories/Temp Directory", spillDirectory().u16string());
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(spillDirectory(), ignored);
  }

  static std::filesystem::path spillDirectory() {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
#if defined(_WIN32)
    const char* flavour = "win32";
#elif defined(ORN_ADDRESS_SANITIZER)
    const char* flavour = "asan";
#else
    const char* flavour = "native";
#endif
    return std::filesystem::temp_directory_path() / (std::string("orn-memory-") + flavour + "-" +
                                                     test->test_suite_name() + "-" + test->name());
  }

  static int filesInSpillDirectory() {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(spillDirectory())) {
      (void)entry;
      ++count;
    }
    return count;
  }

  TestHost* host = nullptr;
  RecordingErrorService& errors = processLifetime<RecordingErrorService>();
  RecordingAssertHandler& asserts = processLifetime<RecordingAssertHandler>();
  TestDataStore& settings = processLifetime<TestDataStore>();
};

#endif  // ORN_MEMORY_MEMORY_TEST_SUPPORT_H_
