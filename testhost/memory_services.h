// Memory-side test services: a scripted memory manager, a recording assertion handler, and the
// fault-injecting heap and spill-file layers that sit in front of the platform's.
#ifndef ORN_TESTHOST_MEMORY_SERVICES_H_
#define ORN_TESTHOST_MEMORY_SERVICES_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "core/host.h"
#include "platform/file.h"
#include "platform/heap.h"

// Memory manager whose releaseMemory answers from a script, then answersAfterScript.
class ScriptedMemoryManager : public OrnMM::IOrnMManager {
 public:
  static constexpr const char* classNameText = "ScriptedMemoryManager";

  ScriptedMemoryManager() = default;
  explicit ScriptedMemoryManager(std::vector<bool> script) : answers(std::move(script)) {}

  bool releaseMemory() override;
  bool queryInterface(const char* name, void** out, int options) override;
  const char* className() override { return classNameText; }

  std::vector<bool> answers;        // the answers of the first calls, in order
  bool answersAfterScript = false;  // the answer once the script is used up
  // Called at every releaseMemory with the call's number (from 1), before it answers; a test
  // uses it to give memory back, for instance by relaxing a FaultHeap.
  std::function<void(int call)> onRelease;
  int releaseCalls = 0;
};

// Assertion handler that records every failed check.
class RecordingAssertHandler : public IOrnAssertHandlerCB {
 public:
  static constexpr const char* classNameText = "RecordingAssertHandler";
  struct Assertion {
    std::string expression;
    std::string file;
    int line;
  };

  void reportAssertion(const char* expression, const char* file, int line) override;
  bool queryInterface(const char* name, void** out, int options) override;
  const char* className() override { return classNameText; }

  std::vector<Assertion> assertions;
};

// A heap in front of the runtime's that refuses what the test plans and records every request.
// Install it with HeapFaultScope around the code under test only. Requests are counted from 1 in
// the order they come; only the kinds in `kinds` are planned and counted. Thread-safe.
class FaultHeap : public PlatformHeap {
 public:
  enum Kind : int { mallocRequest = 1, reallocRequest = 2, anyRequest = 3 };
  struct Request {
    Kind kind;
    size_t size;
    bool served;
  };

  // The plan; change it only while no other thread allocates.
  size_t maxBytes = SIZE_MAX;  // larger requests are refused
  int failAt = 0;              // number of the first refused request; 0: none
  bool persistent = false;     // refuse every request from failAt on, not only that one
  bool failAll = false;        // refuse every planned request
  // Refuse requests that would take the bytes live in blocks of this heap above budget: a
  // small memory limit. Blocks allocated before the heap was installed count as nothing.
  size_t budget = SIZE_MAX;
  int kinds = anyRequest;  // which kinds of request the plan applies to

  // Refuses exactly the failAt-th planned request (transient) or every one from it on.
  static FaultHeap failingRequest(int k, bool persistentFailure);
  static FaultHeap servingAtMost(size_t bytes);
  static FaultHeap failingEverything();
  static FaultHeap withBudget(size_t bytes);

  void* allocate(size_t size) override;
  void* reallocate(void* block, size_t size) override;
  void release(void* block) override;

  std::vector<Request> requests() const;
  // Sizes of the requests of the given kinds, served or not, in order.
  std::vector<size_t> sizes(int ofKinds = anyRequest) const;
  int frees() const;
  size_t liveBytes() const;

  FaultHeap() = default;
  FaultHeap(const FaultHeap& other);

 private:
  bool refuses(Kind kind, size_t size, size_t replacedBytes);
  size_t sizeOfLocked(void* block) const;

  mutable std::mutex lock_;
  std::map<void*, size_t> live_;  // blocks of this heap and their sizes
  size_t liveBytes_ = 0;
  std::vector<Request> requests_;
  int planned_ = 0;
  int frees_ = 0;
};

// Puts heap in front of the platform heap for the life of the scope, then restores the heap
// installed before.
class HeapFaultScope {
 public:
  explicit HeapFaultScope(FaultHeap& heap) : previous_(installPlatformHeap(&heap)) {}
  ~HeapFaultScope() { installPlatformHeap(previous_); }
  HeapFaultScope(const HeapFaultScope&) = delete;
  HeapFaultScope& operator=(const HeapFaultScope&) = delete;

 private:
  PlatformHeap* previous_;
};

// A spill-file layer in front of the system's: failing opens, names found taken, short writes,
// failing seeks, short reads; and hooks that run before every open and after every open that
// succeeded (to plant a file at the path). Records the paths and calls. Not synchronised: one spill
// at a time.
class FaultFiles : public PlatformFiles {
 public:
  bool failOpen = false;    // every open fails, not because of the name
  int takenNames = 0;       // the next n opens find their name taken (the disk is not touched)
  bool shortWrite = false;  // writes stop one byte short
  bool failSeek = false;
  bool shortRead = false;  // reads stop one byte short
  std::function<void(const char16_t* path)> beforeOpen;
  std::function<void(const char16_t* path)> afterOpen;

  int openSpill(const char16_t* path, bool* nameTaken) override;
  size_t write(int file, const void* data, size_t bytes) override;
  bool seekToStart(int file) override;
  size_t read(int file, void* data, size_t bytes) override;
  void close(int file) override;

  std::vector<std::u16string> openedPaths;  // every path asked to open, in order
  int opensSucceeded = 0;
  int closes = 0;
  size_t bytesWritten = 0;
  size_t bytesRead = 0;
};

class FileFaultScope {
 public:
  explicit FileFaultScope(FaultFiles& files) : previous_(installPlatformFiles(&files)) {}
  ~FileFaultScope() { installPlatformFiles(previous_); }
  FileFaultScope(const FileFaultScope&) = delete;
  FileFaultScope& operator=(const FileFaultScope&) = delete;

 private:
  PlatformFiles* previous_;
};

#endif  // ORN_TESTHOST_MEMORY_SERVICES_H_
