#include "tempfile/temp_path.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "testhost/recording_services.h"
#include "testhost/settings_services.h"
#include "testhost/test_host.h"

namespace {

// A host service for the whole process: the test keeps a reference of its own, so the module's
// last release (the exit list runs it at process end) never destroys it.
template <class T>
T& processLifetime() {
  static std::vector<T*>* kept = new std::vector<T*>();
  T* made = new T();
  made->refCountField = 1;
  kept->push_back(made);
  return *made;
}

std::string pathOf(const OrnWString& path) { return narrowForTest(path.text); }

bool isLowerHex(const std::string& text) {
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

// "\orn-<8 hex digits>-<8 hex digits>-temp", 27 characters.
bool isSpillFileName(const std::string& name) {
  return name.size() == 27 && name.compare(0, 5, "\\orn-") == 0 && name[13] == '-' &&
         name.compare(22, 5, "-temp") == 0 && isLowerHex(name.substr(5, 8)) &&
         isLowerHex(name.substr(14, 8));
}

// The directory in front of the file name of a spill path.
std::string directoryOf(const std::string& path) {
  if (path.size() < 27 || !isSpillFileName(path.substr(path.size() - 27))) {
    return "<not a spill path: " + path + ">";
  }
  return path.substr(0, path.size() - 27);
}

// The system's temp directory as the standard library finds it, without a trailing separator.
std::string systemTemp() {
  std::string dir = std::filesystem::temp_directory_path().string();
  while (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\') &&
         !(dir.size() == 3 && dir[1] == ':')) {
    dir.pop_back();
  }
  return dir;
}

class TempPathTest : public testing::Test {
 protected:
  void SetUp() override { host = &attachTestHost(); }
  void configure(const std::u16string& value) {
    host->offer<IDataStore>(&store);
    store.set(tempDirectoryKey, value);
  }
  void offerDirectory(const std::u16string& directory) {
    host->offer<IOrnDirService>(&dirs);
    dirs.set("temp", directory);
  }
  std::string makePath() {
    OrnWString path;
    EXPECT_TRUE(makeTempFilePath(path));
    return pathOf(path);
  }

  TestHost* host = nullptr;
  TestDataStore& store = processLifetime<TestDataStore>();
  TestDirService& dirs = processLifetime<TestDirService>();
};

// ---- where the file goes

TEST_F(TempPathTest, ConfiguredDirectoryIsUsedAsStoredAndTheServiceIsNotAsked) {
  configure(u"D:\\Temp");
  offerDirectory(u"C:\\Tmp");
  EXPECT_EQ(directoryOf(makePath()), "D:\\Temp");
  EXPECT_TRUE(dirs.namesAsked.empty());
  EXPECT_EQ(store.keysAsked, std::vector<std::string>{"Directories/Temp Directory"});
  EXPECT_EQ(store.flagsPassed, std::vector<int>{0});
}

TEST_F(TempPathTest, ConfiguredTrailingBackslashIsKept) {
  configure(u"D:\\Temp\\");
  EXPECT_EQ(directoryOf(makePath()), "D:\\Temp\\");
}

TEST_F(TempPathTest, ConfiguredBareDriveIsUsedUnchanged) {
  configure(u"D:");
  EXPECT_EQ(directoryOf(makePath()), "D:");
}

TEST_F(TempPathTest, EmptyOrNullConfiguredValueFallsBackToTheDirectoryService) {
  offerDirectory(u"C:\\Tmp");
  configure(u"");
  EXPECT_EQ(directoryOf(makePath()), "C:\\Tmp");
  store.setNull(tempDirectoryKey);
  EXPECT_EQ(directoryOf(makePath()), "C:\\Tmp");
  EXPECT_EQ(dirs.namesAsked, (std::vector<std::string>{"temp", "temp"}));
}

TEST_F(TempPathTest, NoDataStoreFallsBackToTheDirectoryService) {
  offerDirectory(u"C:\\Tmp");
  EXPECT_EQ(directoryOf(makePath()), "C:\\Tmp");
}

TEST_F(TempPathTest, BareDriveFromTheServiceGetsItsBackslash) {
  offerDirectory(u"E:");
  EXPECT_EQ(directoryOf(makePath()), "E:\\");
  dirs.set("temp", u"7:");  // whatever the first unit
  EXPECT_EQ(directoryOf(makePath()), "7:\\");
}

TEST_F(TempPathTest, ServiceAnswersBeyondABareDriveAreTakenUnchanged) {
  offerDirectory(u"E:\\");
  EXPECT_EQ(directoryOf(makePath()), "E:\\");
  dirs.set("temp", u"E:\\dir");
  EXPECT_EQ(directoryOf(makePath()), "E:\\dir");
  dirs.set("temp", u"/var/tmp");
  EXPECT_EQ(directoryOf(makePath()), "/var/tmp");
}

// Regression: with neither service, or empty answers, the spill file went to the root directory
// ("\orn-...", "/" on Linux), and a relative directory put it wherever the process was started.
TEST_F(TempPathTest, NeitherServiceGivesTheSystemsTempDirectory) {
  ASSERT_FALSE(systemTemp().empty());
  EXPECT_EQ(directoryOf(makePath()), systemTemp());
}

TEST_F(TempPathTest, EmptyConfiguredValueAndServiceAnswerGiveTheSystemsTempDirectory) {
  configure(u"");
  offerDirectory(u"");
  EXPECT_EQ(directoryOf(makePath()), systemTemp());
}

TEST_F(TempPathTest, RelativeDirectoriesCountAsNotGiven) {
  configure(u"spill here");
  offerDirectory(u"C:\\Tmp");
  EXPECT_EQ(directoryOf(makePath()), "C:\\Tmp");  // the configured one is passed over
  configure(u".\\tmp");
  dirs.set("temp", u"E");
  EXPECT_EQ(directoryOf(makePath()), systemTemp());  // and so is the service's
  configure(u"/var/tmp");
  EXPECT_EQ(directoryOf(makePath()), "/var/tmp");
}

TEST_F(TempPathTest, RootedDirectoriesAreThoseThatBeginAtARootOrADrive) {
  for (const char* rooted : {"\\", "/", "D:", "D:\\Temp", "\\\\server\\share", "/tmp"}) {
    EXPECT_TRUE(isRootedDirectory(OrnWString(rooted))) << rooted;
  }
  for (const char* relative : {"", "E", "tmp", ".\\tmp", "..", "temp:x"}) {
    EXPECT_FALSE(isRootedDirectory(OrnWString(relative))) << relative;
  }
  EXPECT_FALSE(isRootedDirectory(OrnWString()));
}

// ---- the directory service is looked up once

TEST_F(TempPathTest, DirectoryServiceIsLookedUpOnceEvenWhenAbsent) {
  makePath();
  offerDirectory(u"C:\\Tmp");  // registered too late to be seen
  EXPECT_EQ(directoryOf(makePath()), systemTemp());
  EXPECT_EQ(host->requestCount("IOrnDirService"), 1);
  EXPECT_EQ(host->requestCount("IDataStore"), 2);  // the data store is asked every time
}

TEST_F(TempPathTest, DirectoryServiceHolderKeepsOneReference) {
  offerDirectory(u"C:\\Tmp");
  makePath();
  makePath();
  EXPECT_EQ(dirs.refCountField, 2);  // the test's and the module's
  EXPECT_EQ(host->requestCount("IOrnDirService"), 1);
}

TEST_F(TempPathTest, DataStoreIsHeldOnlyDuringTheCall) {
  configure(u"D:\\Temp");
  makePath();
  EXPECT_EQ(store.refCountField, 1);  // the test's only
}

// ---- the file name

TEST_F(TempPathTest, NameCarriesTheProcessIdAndTheCounterInEightHexDigits) {
  char pid[9];
  std::snprintf(pid, sizeof pid, "%08x", static_cast<unsigned>(platformProcessId()));
  const std::string path = makePath();
  ASSERT_GE(path.size(), 27u);
  const std::string first = path.substr(path.size() - 27);
  EXPECT_EQ(first.substr(0, 13), std::string("\\orn-") + pid);
  EXPECT_EQ(first.substr(22), "-temp");
}

TEST_F(TempPathTest, SecondFieldIsTheLowHalfOfTheCounterReadDuringTheCall) {
  const uint64_t before = platformPerformanceCounter();
  const std::string path = makePath();  // no services: the system's temp directory
  const uint64_t after = platformPerformanceCounter();
  ASSERT_GE(path.size(), 27u);
  const std::string name = path.substr(path.size() - 27);
  ASSERT_TRUE(isSpillFileName(name)) << name;
  const uint32_t field = static_cast<uint32_t>(std::stoul(name.substr(14, 8), nullptr, 16));
  // Modulo 2^32, so that a wrap of the low half between the readings is no failure.
  EXPECT_LE(field - static_cast<uint32_t>(before), static_cast<uint32_t>(after - before));
}

TEST_F(TempPathTest, SuccessiveNamesDifferInTheCounterOnly) {
  const std::string first = makePath();
  std::string second = makePath();
  for (int i = 0; i < 1000 && second == first; ++i) second = makePath();
  EXPECT_NE(first, second);
  // Everything up to the counter field: the directory and the process id.
  EXPECT_EQ(first.substr(0, first.size() - 13), second.substr(0, second.size() - 13));
}

// ---- what happens to the strings involved

TEST_F(TempPathTest, PreviousContentIsReleasedFirst) {
  configure(u"D:\\Temp");
  OrnWString owned("stale text that must go");
  makeTempFilePath(owned);
  EXPECT_EQ(directoryOf(pathOf(owned)), "D:\\Temp");

  static const char16_t shared[] = u"borrowed";
  OrnWString borrowing;
  borrowing.assignText(shared, 0);
  makeTempFilePath(borrowing);
  EXPECT_EQ(directoryOf(pathOf(borrowing)), "D:\\Temp");
  EXPECT_EQ(std::u16string(shared), u"borrowed");
}

TEST_F(TempPathTest, HostValuesAreNeverWrittenInto) {
  configure(u"D:\\Temp");
  const OrnWString& stored = store.stringValue(tempDirectoryKey, 0);
  makePath();
  makePath();
  EXPECT_EQ(narrowForTest(stored.text), "D:\\Temp");
  EXPECT_EQ(stored.capacity, 0);
}

TEST_F(TempPathTest, ServiceTempDirectoryAnswersTheServicesValueOrEmpty) {
  EXPECT_TRUE(serviceTempDirectory().empty());
  EXPECT_EQ(&serviceTempDirectory(), &serviceTempDirectory());
}

TEST_F(TempPathTest, ServiceTempDirectoryAsksForTemp) {
  offerDirectory(u"C:\\Tmp");
  EXPECT_EQ(pathOf(serviceTempDirectory()), "C:\\Tmp");
  EXPECT_EQ(dirs.namesAsked, std::vector<std::string>{"temp"});
}

TEST_F(TempPathTest, WithDriveRootCopiesByTheStringRules) {
  static const char16_t drive[] = u"E:";
  OrnWString borrowedDrive;
  borrowedDrive.assignText(drive, 0);
  const OrnWString rooted = withDriveRoot(borrowedDrive);
  EXPECT_EQ(pathOf(rooted), "E:\\");
  EXPECT_EQ(std::u16string(drive), u"E:");  // the shared text is never written

  static const char16_t dir[] = u"E:\\dir";
  OrnWString borrowedDir;
  borrowedDir.assignText(dir, 0);
  const OrnWString copy = withDriveRoot(borrowedDir);
  EXPECT_EQ(copy.text, dir);  // borrowed text is shared
  EXPECT_EQ(copy.capacity, 0);

  OrnWString ownedDir("E:\\dir");
  const OrnWString deep = withDriveRoot(ownedDir);
  EXPECT_NE(deep.text, ownedDir.text);  // owned text is deep-copied
  EXPECT_EQ(pathOf(deep), "E:\\dir");

  EXPECT_EQ(withDriveRoot(OrnWString()).text, nullptr);
}

// Announces its destruction, so that a death test sees the exit list release it.
struct AnnouncingDirService : TestDirService {
  ~AnnouncingDirService() override { std::fprintf(stderr, "directory service destroyed\n"); }
};

TEST_F(TempPathTest, ExitListReleasesTheDirectoryServiceThroughTheHost) {
  EXPECT_EXIT(
      {
        host->offer<IOrnDirService>(new AnnouncingDirService());  // count 0: the module's
        makePath();
        std::exit(0);
      },
      testing::ExitedWithCode(0), "directory service destroyed");
}

TestHost* observedHost = nullptr;

// Registered before the module's teardown, so it runs after it.
void printHostCalls() {
  std::fprintf(stderr, "host calls: %d\n",
               observedHost->addRefHookCalls + observedHost->releaseHookCalls +
                   static_cast<int>(observedHost->requests.size()));
}

TEST_F(TempPathTest, ExitWithoutHostCallsNothing) {
  EXPECT_EXIT(
      {
        observedHost = host;
        moduleHost = nullptr;
        std::atexit(printHostCalls);
        EXPECT_EQ(directoryOf(makePath()), systemTemp());
        std::exit(0);
      },
      testing::ExitedWithCode(0), "host calls: 0");
}

}  // namespace
