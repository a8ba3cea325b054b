// Spill file sweep: guarded growth that has to go through the spill file, with each file call of
// the spill failed in turn (and the fresh block after it refused). Where the process ends, the user
// sees one message, the calls made before it tell which failure code was raised, the block was
// left as that code promises, and no file is left behind. Where it goes on, the block holds its
// contents followed by zeroes and no file is left behind either.
//
// The failure code itself never reaches the host (every code shows the same message), so each
// code is recognised by what the spill had done when the report came:
//   -1 the open failed: nothing written, the block untouched;
//   -2 the write fell short: file closed (which removes it), the block untouched;
//   -3 the seek or the read failed: file closed (which removes it), the block gone;
//   -4 no fresh block after the spill: file closed (which removes it) before any seek, the block
//   gone.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>

#include "memory/memory_test_support.h"
#include "memory/spill.h"
#include "memory/ubrrealloc.h"
#include "platform/file.h"
#include "platform/heap.h"

namespace {

constexpr int oldCount = 30000;
constexpr int newCount = 50000;

enum class SpillFault {
  openFails,     // the first open fails for a reason other than its name
  nameTaken,     // something already sits at the first name
  writeShort,    // the write stops one byte short
  writeNothing,  // the write writes nothing
  noFreshBlock,  // the heap refuses the fresh block after the write
  seekFails,
  readShort,  // the read stops one byte short
  readNothing,
};

// The file calls of a spill, logged in order; the faulted call carries a '!'. Fails the first
// call of the planned kind. Everything else goes straight to the system.
class SweepFiles : public FaultFiles {
 public:
  explicit SweepFiles(SpillFault fault) : fault_(fault) {}

  int openSpill(const char16_t* path, bool* nameTaken) override {
    const bool first = opens_++ == 0;
    if (first && (fault_ == SpillFault::openFails || fault_ == SpillFault::nameTaken)) {
      log("open!");
      if (nameTaken) *nameTaken = fault_ == SpillFault::nameTaken;
      return platformNoFile;
    }
    log("open");
    return PlatformFiles::openSpill(path, nameTaken);
  }
  size_t write(int file, const void* data, size_t bytes) override {
    if (fault_ == SpillFault::writeShort || fault_ == SpillFault::writeNothing) {
      log("write!");
      return PlatformFiles::write(file, data, fault_ == SpillFault::writeShort ? bytes - 1 : 0);
    }
    log("write");
    return PlatformFiles::write(file, data, bytes);
  }
  bool seekToStart(int file) override {
    log(fault_ == SpillFault::seekFails ? "seek!" : "seek");
    return fault_ != SpillFault::seekFails && PlatformFiles::seekToStart(file);
  }
  size_t read(int file, void* data, size_t bytes) override {
    if (fault_ == SpillFault::readShort || fault_ == SpillFault::readNothing) {
      log("read!");
      return PlatformFiles::read(file, data, fault_ == SpillFault::readShort ? bytes - 1 : 0);
    }
    log("read");
    return PlatformFiles::read(file, data, bytes);
  }
  void close(int file) override {
    log("close");
    PlatformFiles::close(file);
  }

  const std::string& calls() const { return calls_; }

 private:
  void log(const char* call) {
    if (!calls_.empty()) calls_ += ',';
    calls_ += call;
  }
  SpillFault fault_;
  int opens_ = 0;
  std::string calls_;
};

struct SpillCase {
  const char* name;
  SpillFault fault;
  bool ends;          // the process ends through the notification
  const char* calls;  // the file calls made before the report, or in all when it goes on
  const char* block;  // the block when the report comes: "untouched" or "gone"
};

const SpillCase spillCases[] = {
    {"OpenFails", SpillFault::openFails, true, "open!", "untouched"},
    {"NameTaken", SpillFault::nameTaken, false, "open!,open,write,seek,read,close", ""},
    {"WriteShort", SpillFault::writeShort, true, "open,write!,close", "untouched"},
    {"WriteNothing", SpillFault::writeNothing, true, "open,write!,close", "untouched"},
    {"NoFreshBlock", SpillFault::noFreshBlock, true, "open,write,close", "gone"},
    {"SeekFails", SpillFault::seekFails, true, "open,write,seek!,close", "gone"},
    {"ReadShort", SpillFault::readShort, true, "open,write,seek,read!,close", "gone"},
    {"ReadNothing", SpillFault::readNothing, true, "open,write,seek,read!,close", "gone"},
};

void PrintTo(const SpillCase& c, std::ostream* os) { *os << c.name; }

// What the test watches from the error service, at the moment of the report.
SweepFiles* watchedFiles = nullptr;
void** watchedBlock = nullptr;
void* originalBlock = nullptr;

bool holdsTheOldContents(const void* block) {
  const int* ints = static_cast<const int*>(block);
  for (int i = 0; i < oldCount; ++i) {
    if (ints[i] != i * 7 + 1) return false;
  }
  return true;
}

// An echoing error service that also tells what the spill had done when the report came.
class SpillWatchingErrorService : public RecordingErrorService {
 public:
  int reportError(const OrnWString& message, const int& severity, const OrnString& extra) override {
    const char* block = "changed";
    if (*watchedBlock == nullptr) {
      block = "gone";
    } else if (*watchedBlock == originalBlock && holdsTheOldContents(*watchedBlock)) {
      block = "untouched";
    }
    std::fprintf(stderr, "spill at the report: calls %s; block %s\n", watchedFiles->calls().c_str(),
                 block);
    return RecordingErrorService::reportError(message, severity, extra);
  }
};

class HardeningSpillSweep : public MemoryHostTest, public testing::WithParamInterface<SpillCase> {
 protected:
  void SetUp() override {
    MemoryHostTest::SetUp();
    watching.echoToStderr = true;
    host->offer<IOrnErrorService>(&watching);
    block = platformMalloc(sizeof(int) * oldCount);
    for (int i = 0; i < oldCount; ++i) static_cast<int*>(block)[i] = i * 7 + 1;
    watchedBlock = &block;
    originalBlock = block;
    if (GetParam().fault == SpillFault::noFreshBlock) {
      heap.maxBytes = sizeof(int) * oldCount;  // the old block fits, the new one never does
    } else {
      heap.kinds = FaultHeap::reallocRequest;  // growth in place never succeeds: it spills
      heap.failAll = true;
    }
  }
  void TearDown() override {
    platformFree(block);
    MemoryHostTest::TearDown();
  }

  int grow() {
    HeapFaultScope heapScope(heap);
    FileFaultScope fileScope(files);
    return ubrRealloc(&block, 4, oldCount, newCount, -1);
  }

  SpillWatchingErrorService& watching = processLifetime<SpillWatchingErrorService>();
  SweepFiles files{GetParam().fault};
  FaultHeap heap;
  void* block = nullptr;
};

TEST_P(HardeningSpillSweep, EndsWithOneMessageOrKeepsTheContents) {
  const SpillCase& c = GetParam();
  watchedFiles = &files;
  if (c.ends) {
    EXPECT_EXIT(grow(), ORN_EXITED_MINUS_ONE,
                testing::AllOf(ShowsTimes(shownOutOfMemoryMessage(), 1),
                               testing::HasSubstr(std::string("spill at the report: calls ") +
                                                  c.calls + "; block " + c.block + "\n")));
    EXPECT_EQ(filesInSpillDirectory(), 0);
    EXPECT_EQ(block, originalBlock);  // this process never spilled
    return;
  }
  EXPECT_EQ(grow(), newCount);
  EXPECT_EQ(files.calls(), c.calls);
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(holdsTheOldContents(block));
  const int* ints = static_cast<const int*>(block);
  for (int i = oldCount; i < newCount; ++i) ASSERT_EQ(ints[i], 0) << "element " << i;
  EXPECT_EQ(filesInSpillDirectory(), 0);
  EXPECT_TRUE(watching.reports.empty());
}

INSTANTIATE_TEST_SUITE_P(FileCalls, HardeningSpillSweep, testing::ValuesIn(spillCases),
                         [](const testing::TestParamInfo<SpillCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
