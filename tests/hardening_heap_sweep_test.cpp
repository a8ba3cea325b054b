// Heap fault sweep: the fixed module workload is run with its k-th heap request refused, once
// (transient) or from then on (persistent), for every k until the workload no longer reaches k;
// and with every growth or shrink from the k-th on refused while fresh allocations are served,
// so that growth has to go through the spill file and the workload goes on with what it read back.
// Each run is a child process; it must finish with correct results or end through the
// out-of-memory notification with exactly one message and status -1.
//
// The heap seam is this binary's: a module loaded from its own file has its own copy of the
// framework and its own heap calls, out of the seam's reach. So the sweep runs the framework in
// this process as a module (the same code, started the way a module starts), and the loaded
// module gets the same workload without faults as a smoke run.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "core/component.h"
#include "host/loaded_module.h"
#include "host/orn_host.h"
#include "memory/memory_test_support.h"
#include "platform/config.h"
#include "platform/file.h"
#include "tests/hardening_sweep.h"
#include "tests/hardening_workload.h"

namespace {

const unsigned char descriptorBytes[16] = {0x48, 0x41, 0x52, 0x44, 0x00, 0x01, 0x00, 0x00,
                                           0x73, 0x77, 0x65, 0x65, 0x70, 0x21, 0x21, 0x21};
const OrnComponentDefinition inProcessComponent{
    "hardening_component",
    OrnID(0x68617264, 0x656E, 0x696E, {0x67, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08}),
    {0x48, 0x41, 0x52, 0x44, 0x00, 0x01, 0x00, 0x00, 0x73, 0x77, 0x65, 0x65, 0x70, 0x21, 0x21,
     0x21},
    "2010-12-16 11:42"};  // the template's stamp, which the workload expects of both

// The host a run is attached to. real: the orn_host library's host, with its shared pool (the
// module binds to it) and a memory manager holding a reserve of four steps. bare: a test host
// that offers no pool (the module builds its own) and a manager that gives memory back three
// times, then has nothing left.
enum class SweepHost { real, bare };

// How request k fails: once; from then on; or, counting growths and shrinks only, every one from
// k on while fresh allocations are still served (growth then has to go through the spill file).
enum class SweepMode { transient, persistent, reallocsFromK };

const char* modeName(SweepMode mode) {
  return mode == SweepMode::transient    ? "Transient"
         : mode == SweepMode::persistent ? "Persistent"
                                         : "Reallocs";
}
void PrintTo(SweepMode mode, std::ostream* os) { *os << modeName(mode); }

constexpr const char* spillCountLine = "hardening child: spill files opened:";

const char* hostName(SweepHost which) { return which == SweepHost::real ? "real" : "bare"; }
void PrintTo(SweepHost which, std::ostream* os) { *os << hostName(which) << " host"; }

// The spill directory of the running test: empty before each run, and again after it (a spill
// deletes its file whatever happens). Named after the test only, so that a death test's child
// started afresh finds the same one.
std::filesystem::path spillDirectory() {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
#if defined(_WIN32)
  std::string name = "orn-sweep-win32-";
#elif defined(ORN_ADDRESS_SANITIZER)
  std::string name = "orn-sweep-asan-";
#else
  std::string name = "orn-sweep-native-";
#endif
  name += std::string(test->test_suite_name()) + "-" + test->name();
  for (char& c : name) {
    if (c == '/') c = '-';
  }
  return std::filesystem::temp_directory_path() / name;
}

int filesIn(const std::filesystem::path& directory) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    (void)entry;
    ++count;
  }
  return count;
}

WorkloadHost realHost() {
  static OrnHostApp* host = new OrnHostApp(OrnHostOptions{256u << 10, 4, 'O'});
  host->settings().set(HostSettings::tempDirectoryKey, spillDirectory().u8string());
  return WorkloadHost{host, [] {
                        std::vector<std::string> messages;
                        for (const ErrorReport& r : host->errors().reports()) {
                          messages.push_back(r.message);
                        }
                        return messages;
                      }};
}

WorkloadHost bareHost() {
  TestHost& host = attachTestHost();
  auto& errors = processLifetime<RecordingErrorService>();
  errors.echoToStderr = true;
  host.offer<IOrnErrorService>(&errors);
  host.offer<IOrnAssertHandlerCB>(&processLifetime<RecordingAssertHandler>());
  auto& manager = processLifetime<ScriptedMemoryManager>(std::vector<bool>{true, true, true});
  host.offer<OrnMM::IOrnMManager>(&manager);
  auto& settings = processLifetime<TestDataStore>();
  settings.set("Directories/Temp Directory", spillDirectory().u16string(), true);
  host.offer<IDataStore>(&settings);
  RecordingErrorService* recorded = &errors;
  return WorkloadHost{&host, [recorded] {
                        std::vector<std::string> messages;
                        for (const auto& r : recorded->reports) messages.push_back(r.message);
                        return messages;
                      }};
}

// The child's whole life: the host, the module's start-up, then the workload with the heap
// request k refused (k 0: none). Never returns.
[[noreturn]] void runWorkloadChild(SweepHost which, int k, SweepMode mode) {
  const WorkloadHost host = which == SweepHost::real ? realHost() : bareHost();
  startModule(inProcessComponent);
  // Spill files are counted, not failed; the count is told at the very end of the process.
  static FaultFiles* files = new FaultFiles();
  installPlatformFiles(files);
  std::atexit([] { std::fprintf(stderr, "%s %d\n", spillCountLine, files->opensSucceeded); });
  FaultHeap heap = FaultHeap::failingRequest(k, mode != SweepMode::transient);
  if (mode == SweepMode::reallocsFromK) heap.kinds = FaultHeap::reallocRequest;
  HeapFaultScope scope(heap);  // stays in place through the exit list at the end
  WorkloadCheck check;
  int version = 0;
  IOrnComponent* component = nullptr;
  check.expect(ornEntryPoint(&version, &component) == 1 && version == 100, "EntryPoint");
  runComponentWorkload(
      component, host,
      ExpectedComponent{inProcessComponent.name, inProcessComponent.id, descriptorBytes}, check);
  runFrameworkWorkload(check);
  int refused = 0, planned = 0;
  const std::vector<FaultHeap::Request> requests = heap.requests();
  for (const FaultHeap::Request& r : requests) {
    refused += r.served ? 0 : 1;
    planned += (r.kind & heap.kinds) != 0;
  }
  if (!check.passed()) {
    std::fprintf(stderr, "hardening child: wrong result: %s\n", check.firstFailure().c_str());
    std::exit(childWrongResult);
  }
  std::fprintf(stderr, "%s after %d heap requests (%zu in all), %d refused\n", childFinishedLine,
               planned, requests.size(), refused);
  std::exit(refused > 0 ? childFinished : childFinishedUnfaulted);
}

// Runs the child for k and judges it. Returns how it ended; *spilled tells whether the run went
// through the spill file.
ChildEnd sweepOne(SweepHost which, int k, SweepMode mode, std::string* output,
                  bool* spilled = nullptr) {
  int status = 0;
  EXPECT_EXIT(runWorkloadChild(which, k, mode), KeepStatus{&status}, KeptIn(output));
  if (inDeathTestChild()) return ChildEnd::finished;  // passing over another k's run
  std::string why;
  const ChildEnd end = judgeChild(status, *output, &why);
  EXPECT_EQ(filesIn(spillDirectory()), 0) << "a spill file left behind by heap request " << k;
  const size_t count = output->find(spillCountLine);
  if (spilled != nullptr && count != std::string::npos) {
    *spilled = std::atoi(output->c_str() + count + std::strlen(spillCountLine)) > 0;
  }
  EXPECT_NE(end, ChildEnd::fault) << "heap request " << k << " (" << modeName(mode) << "): " << why
                                  << "\n"
                                  << *output;
  return end;
}

// Ranges of k, so that the Windows leg can run them side by side within the test time limit.
constexpr int requestsPerChunk = 40;
constexpr int chunks = 5;

// Gives each test a fresh, empty spill directory.
class SpillDirectoryScope {
 public:
  SpillDirectoryScope() {
    std::error_code ignored;
    std::filesystem::remove_all(spillDirectory(), ignored);
    std::filesystem::create_directories(spillDirectory());
  }
  ~SpillDirectoryScope() {
    std::error_code ignored;
    std::filesystem::remove_all(spillDirectory(), ignored);
  }
};

TEST(HardeningHeapSweep, WorkloadFinishesUnfaultedWithinTheSweptRange) {
  SpillDirectoryScope directory;
  for (SweepHost which : {SweepHost::real, SweepHost::bare}) {
    std::string output;
    EXPECT_EQ(sweepOne(which, 0, SweepMode::transient, &output), ChildEnd::finishedUnfaulted);
    if (inDeathTestChild()) continue;
    const size_t at = output.find(childFinishedLine);
    ASSERT_NE(at, std::string::npos) << output;
    const int requests =
        std::atoi(output.c_str() + at + std::strlen(childFinishedLine) + std::strlen(" after "));
    std::printf("%s host: the workload makes %d heap requests\n", hostName(which), requests);
    EXPECT_GT(requests, 50);
    EXPECT_LT(requests, requestsPerChunk * chunks) << "add chunks to the sweep";
  }
}

class HardeningHeapSweepChunk
    : public testing::TestWithParam<std::tuple<SweepHost, SweepMode, int>> {};

TEST_P(HardeningHeapSweepChunk, EveryRunFinishesCorrectlyOrEndsWithOneMessage) {
  const SweepHost which = std::get<0>(GetParam());
  const SweepMode mode = std::get<1>(GetParam());
  const int first = 1 + std::get<2>(GetParam()) * requestsPerChunk;
  SpillDirectoryScope directory;
  int finished = 0, outOfMemory = 0, spills = 0;
  for (int k = first; k < first + requestsPerChunk; ++k) {
    std::string output;
    bool spilled = false;
    const ChildEnd end = sweepOne(which, k, mode, &output, &spilled);
    if (end == ChildEnd::finishedUnfaulted) break;  // the workload ends before request k
    finished += end == ChildEnd::finished;
    outOfMemory += end == ChildEnd::outOfMemory;
    spills += spilled;
  }
  if (inDeathTestChild()) return;
  std::printf("%s host, %s, requests %d..%d: %d finished, %d ended out of memory, %d spilled\n",
              hostName(which), modeName(mode), first, first + requestsPerChunk - 1, finished,
              outOfMemory, spills);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, HardeningHeapSweepChunk,
    testing::Combine(testing::Values(SweepHost::real, SweepHost::bare),
                     testing::Values(SweepMode::transient, SweepMode::persistent,
                                     SweepMode::reallocsFromK),
                     testing::Range(0, chunks)),
    [](const testing::TestParamInfo<HardeningHeapSweepChunk::ParamType>& info) {
      return std::string(hostName(std::get<0>(info.param))) + "Host" +
             modeName(std::get<1>(info.param)) + "From" +
             std::to_string(1 + std::get<2>(info.param) * requestsPerChunk);
    });

// The built module, loaded as a host loads it, with the same workload and no faults.
TEST(HardeningModuleSmoke, LoadedModulePassesTheWorkload) {
  static OrnHostApp* host = new OrnHostApp(OrnHostOptions{256u << 10, 4, 'O'});
  host->errors().setEcho(nullptr);
  host->noteServiceCounts();
  LoadedModule module;
  std::string error;
  ASSERT_TRUE(module.load(defaultModulePath(), &error)) << error;
  static const unsigned char templateBytes[16] = {0x4F, 0x52, 0x4E, 0x31, 0x00, 0x01, 0x00, 0x00,
                                                  0x63, 0x6F, 0x6D, 0x70, 0x74, 0x6D, 0x70, 0x6C};
  const ExpectedComponent expected{
      "component_template",
      OrnID(0x6F726E30, 0x7465, 0x6D70, {0x6C, 0x61, 0x74, 0x65, 0x00, 0x00, 0x00, 0x01}),
      templateBytes};
  WorkloadCheck check;
  const WorkloadHost workloadHost{host, [] {
                                    std::vector<std::string> messages;
                                    for (const ErrorReport& r : host->errors().reports()) {
                                      messages.push_back(r.message);
                                    }
                                    return messages;
                                  }};
  // The workload takes and drops its own reference; the module stays loaded until unload.
  runComponentWorkload(module.component(), workloadHost, expected, check);
  EXPECT_TRUE(check.passed()) << check.firstFailure();
  module.unload();
  host->pool().dropForeignBlocks();  // the module's blocks can no longer go back to it
  EXPECT_TRUE(host->tracker().heldObjects().empty());
  // Every service reference is given back, except the one the module keeps on the shared pool
  // until the process ends.
  for (const OrnHostApp::ServiceChange& change : host->serviceChanges()) {
    EXPECT_EQ(change.change, change.name == IBucketMemoryPool::lookupName ? 1 : 0) << change.name;
  }
}

}  // namespace
