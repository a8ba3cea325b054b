#include "memory/spill.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "memory/memory_test_support.h"
#include "memory/ubrrealloc.h"
#include "platform/heap.h"

namespace fs = std::filesystem;

namespace {

// Large enough that the pool's own blocks fit wherever the old block fits.
constexpr int oldCount = 30000;
constexpr int newCount = 50000;

// The filesystem path of a spill path as the platform layer opens it.
fs::path onDisk(const char16_t* spillPath) {
  std::u16string text(spillPath);
#ifndef _WIN32
  for (char16_t& unit : text) {
    if (unit == u'\\') unit = u'/';
  }
#endif
  return fs::path(text);
}

std::string contentsOf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& file, const std::string& contents) {
  std::ofstream out(file, std::ios::binary);
  out << contents;
}

// Guarded growth whose in-place attempts the heap always refuses, so that it spills.
class SpillTest : public MemoryHostTest {
 protected:
  void SetUp() override {
    MemoryHostTest::SetUp();
    block = platformMalloc(sizeof(int) * oldCount);
    for (int i = 0; i < oldCount; ++i) static_cast<int*>(block)[i] = i * 7 + 1;
    heap.kinds = FaultHeap::reallocRequest;
    heap.failAll = true;
  }

  // Grows block from oldCount to newCount ints through the spill.
  int grow() {
    HeapFaultScope heapScope(heap);
    FileFaultScope fileScope(files);
    return ubrRealloc(&block, 4, oldCount, newCount, -1);
  }

  void expectOldContentsThenZeroes() {
    const int* ints = static_cast<const int*>(block);
    for (int i = 0; i < oldCount; ++i) ASSERT_EQ(ints[i], i * 7 + 1) << "element " << i;
    for (int i = oldCount; i < newCount; ++i) ASSERT_EQ(ints[i], 0) << "element " << i;
  }

  FaultHeap heap;
  FaultFiles files;
  void* block = nullptr;
};

TEST_F(SpillTest, KeepsTheOldContentsFollowedByZeroesAndLeavesNoFile) {
  EXPECT_EQ(grow(), newCount);
  expectOldContentsThenZeroes();
  EXPECT_EQ(files.opensSucceeded, 1);
  EXPECT_EQ(files.bytesWritten, sizeof(int) * oldCount);
  EXPECT_EQ(files.bytesRead, sizeof(int) * oldCount);
  EXPECT_EQ(files.closes, 1);
  EXPECT_EQ(filesInSpillDirectory(), 0);
  EXPECT_TRUE(errors.reports.empty());
  platformFree(block);
}

TEST_F(SpillTest, SpillFileLivesInTheConfiguredDirectory) {
  EXPECT_EQ(grow(), newCount);
  ASSERT_EQ(files.openedPaths.size(), 1u);
  const fs::path opened = onDisk(files.openedPaths[0].c_str());
  EXPECT_EQ(opened.parent_path(), spillDirectory());
  const std::string name = opened.filename().string();
  EXPECT_EQ(name.size(), 26u);
  EXPECT_EQ(name.substr(0, 4), "orn-");
  EXPECT_EQ(name.substr(21), "-temp");
  platformFree(block);
}

TEST_F(SpillTest, FileIsOnlyTheOwners) {
#ifdef _WIN32
  GTEST_SKIP() << "owner-only permissions are POSIX modes";
#else
  // The file loses its name once created, so it is looked at through its descriptor.
  struct PermissionsPeek : FaultFiles {
    fs::perms seen = fs::perms::unknown;
    int openSpill(const char16_t* path, bool* nameTaken) override {
      const int file = FaultFiles::openSpill(path, nameTaken);
      if (file != platformNoFile) {
        seen = fs::status(fs::path("/proc/self/fd") / std::to_string(file)).permissions();
      }
      return file;
    }
  } peek;
  {
    HeapFaultScope heapScope(heap);
    FileFaultScope fileScope(peek);
    EXPECT_EQ(ubrRealloc(&block, 4, oldCount, newCount, -1), newCount);
  }
  EXPECT_EQ(peek.seen & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  platformFree(block);
#endif
}

// Regression: the spill name is predictable, and the open took whatever was already there.
TEST_F(SpillTest, PlantedFileAtTheSpillNameIsNeverWrittenThrough) {
  fs::path planted;
  files.beforeOpen = [&planted](const char16_t* path) {
    if (!planted.empty()) return;
    planted = onDisk(path);
    writeFile(planted, "planted by someone else");
  };
  EXPECT_EQ(grow(), newCount);
  expectOldContentsThenZeroes();
  ASSERT_EQ(files.openedPaths.size(), 2u);  // the planted name, then a fresh one
  EXPECT_NE(files.openedPaths[0], files.openedPaths[1]);
  EXPECT_EQ(contentsOf(planted), "planted by someone else");
  EXPECT_EQ(filesInSpillDirectory(), 1);  // only the planted file
  platformFree(block);
}

TEST_F(SpillTest, PlantedLinkAtTheSpillNameIsNeverFollowed) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links need privileges on Windows";
#else
  const fs::path target = spillDirectory() / "target";
  const fs::path missingTarget = spillDirectory() / "created-through-a-link";
  writeFile(target, "the link's target");
  int plantedLinks = 0;
  files.beforeOpen = [&](const char16_t* path) {
    if (plantedLinks == 0) fs::create_symlink(target, onDisk(path));
    if (plantedLinks == 1) fs::create_symlink(missingTarget, onDisk(path));
    ++plantedLinks;
  };
  EXPECT_EQ(grow(), newCount);
  expectOldContentsThenZeroes();
  EXPECT_EQ(files.openedPaths.size(), 3u);
  EXPECT_EQ(contentsOf(target), "the link's target");
  EXPECT_FALSE(fs::exists(missingTarget));
  platformFree(block);
#endif
}

// Regression: the spill deleted its file by name at the end, and so whatever had been put at the
// name while the spill ran. Here the file goes with its handle: where the name is free at once
// (POSIX), a file planted there survives with its contents; where the open file keeps its name
// (Windows), nothing can be planted and the file is gone once closed.
TEST_F(SpillTest, FilePlantedAtTheNameDuringTheSpillIsLeftAlone) {
  fs::path name;
  [[maybe_unused]] bool planted = false;
  files.afterOpen = [&](const char16_t* path) {
    name = onDisk(path);
    std::ofstream out(name, std::ios::binary | std::ios::app);
    planted = static_cast<bool>(out << "planted meanwhile") && out.flush();
  };
  EXPECT_EQ(grow(), newCount);
  expectOldContentsThenZeroes();
  ASSERT_FALSE(name.empty());
#ifdef _WIN32
  EXPECT_FALSE(fs::exists(name));
  EXPECT_EQ(filesInSpillDirectory(), 0);
#else
  ASSERT_TRUE(planted) << "the spill file kept its name while open";
  EXPECT_EQ(contentsOf(name), "planted meanwhile");
  EXPECT_EQ(filesInSpillDirectory(), 1);  // only the planted file
#endif
  platformFree(block);
}

TEST_F(SpillTest, TakenNamesAreReplacedByFreshOnesAFewTimes) {
  files.takenNames = spillNameAttempts - 1;
  EXPECT_EQ(grow(), newCount);
  expectOldContentsThenZeroes();
  ASSERT_EQ(files.openedPaths.size(), static_cast<size_t>(spillNameAttempts));
  const std::set<std::u16string> distinct(files.openedPaths.begin(), files.openedPaths.end());
  EXPECT_EQ(distinct.size(), files.openedPaths.size());
  platformFree(block);
}

// ---- every failure ends with one message, status -1, and no spill file

TEST_F(SpillTest, NameTakenEveryTimeEndsWithCodeMinusOne) {
  files.takenNames = spillNameAttempts;
  EXPECT_EXIT(grow(), ORN_EXITED_MINUS_ONE, ShowsTimes(shownOutOfMemoryMessage(), 1));
  EXPECT_EQ(filesInSpillDirectory(), 0);
  platformFree(block);
}

TEST_F(SpillTest, OpenFailureEndsWithOneMessage) {
  files.failOpen = true;
  EXPECT_EXIT(grow(), ORN_EXITED_MINUS_ONE, ShowsTimes(shownOutOfMemoryMessage(), 1));
  EXPECT_EQ(filesInSpillDirectory(), 0);
  platformFree(block);
}

TEST_F(SpillTest, MissingDirectoryEndsWithOneMessage) {
  settings.set("Directories/Temp Directory", (spillDirectory() / "missing").u16string());
  EXPECT_EXIT(grow(), ORN_EXITED_MINUS_ONE, ShowsTimes(shownOutOfMemoryMessage(), 1));
  EXPECT_EQ(filesInSpillDirectory(), 0);
  platformFree(block);
}

TEST_F(SpillTest, ShortWriteEndsWithOneMessageAndNoFile) {
  files.shortWrite = true;
  EXPECT_EXIT(grow(), ORN_EXITED_MINUS_ONE, ShowsTimes(shownOutOfMemoryMessage(), 1));
  EXPECT_EQ(filesInSpillDirectory(), 0);
  platformFree(block);
}

TEST_F(SpillTest, FailedSeekEndsWithOneMessageAndNoFile) {
  files.failSeek = true;
  EXPECT_EXIT(grow(), ORN_EXITED_MINUS_ONE, ShowsTimes(shownOutOfMemoryMessage(), 1));
  EXPECT_EQ(filesInSpillDirectory(), 0);
  platformFree(block);
}

TEST_F(SpillTest, ShortReadEndsWithOneMessageAndNoFile) {
  files.shortRead = true;
  EXPECT_EXIT(grow(), ORN_EXITED_MINUS_ONE, ShowsTimes(shownOutOfMemoryMessage(), 1));
  EXPECT_EQ(filesInSpillDirectory(), 0);
  platformFree(block);
}

TEST_F(SpillTest, NoNewBlockAfterTheSpillEndsWithOneMessageAndNoFile) {
  heap.kinds = FaultHeap::anyRequest;
  heap.failAll = false;
  heap.maxBytes = sizeof(int) * oldCount;  // the old block fits; the new one never does
  EXPECT_EXIT(grow(), ORN_EXITED_MINUS_ONE, ShowsTimes(shownOutOfMemoryMessage(), 1));
  EXPECT_EQ(filesInSpillDirectory(), 0);
  platformFree(block);
}

TEST_F(SpillTest, ManagerIsAskedForTheNewBlockAfterTheSpill) {
  ScriptedMemoryManager& manager = processLifetime<ScriptedMemoryManager>();
  host->offer<OrnMM::IOrnMManager>(&manager);
  heap.kinds = FaultHeap::anyRequest;
  heap.failAll = false;
  heap.maxBytes = sizeof(int) * oldCount;  // the new block fits once the manager has released
  manager.answersAfterScript = true;
  manager.onRelease = [this](int call) {
    if (call == 2) heap.maxBytes = SIZE_MAX;
  };
  EXPECT_EQ(grow(), newCount);
  EXPECT_EQ(manager.releaseCalls, 2);
  EXPECT_EQ(files.opensSucceeded, 1);
  expectOldContentsThenZeroes();
  platformFree(block);
}

// A manager that had nothing more to give during the reduced attempts is not asked again for the
// new block: the call goes straight to the out-of-memory road.
TEST_F(SpillTest, ManagerDroppedDuringTheReducedAttemptsIsNotAskedAfterTheSpill) {
  ScriptedMemoryManager& manager = processLifetime<ScriptedMemoryManager>();
  host->offer<OrnMM::IOrnMManager>(&manager);
  manager.answersAfterScript = false;
  manager.onRelease = [](int call) { std::fprintf(stderr, "release request %d\n", call); };
  heap.kinds = FaultHeap::anyRequest;
  heap.failAll = false;
  heap.maxBytes = sizeof(int) * oldCount;  // the old block fits; no larger one ever does
  EXPECT_EXIT(
      {
        HeapFaultScope heapScope(heap);
        FileFaultScope fileScope(files);
        ubrRealloc(&block, 4, oldCount, newCount, 2 * newCount);
      },
      ORN_EXITED_MINUS_ONE,
      testing::AllOf(ShowsTimes("release request", 1), ShowsTimes(shownOutOfMemoryMessage(), 1)));
  platformFree(block);
}

}  // namespace
