#include "testhost/memory_services.h"

bool ScriptedMemoryManager::releaseMemory() {
  const int call = ++releaseCalls;
  if (onRelease) onRelease(call);
  const size_t index = static_cast<size_t>(call - 1);
  return index < answers.size() ? answers[index] : answersAfterScript;
}

bool ScriptedMemoryManager::queryInterface(const char* name, void** out, int /*options*/) {
  return queryClass(name, out, this, classNameText, false) ||
         queryInterfaceName(name, out, static_cast<OrnMM::IOrnMManager*>(this),
                            OrnMM::IOrnMManager::lookupName);
}

void RecordingAssertHandler::reportAssertion(const char* expression, const char* file, int line) {
  assertions.push_back(Assertion{expression ? expression : "", file ? file : "", line});
}

bool RecordingAssertHandler::queryInterface(const char* name, void** out, int /*options*/) {
  return queryClass(name, out, this, classNameText, false) ||
         queryInterfaceName(name, out, static_cast<IOrnAssertHandlerCB*>(this),
                            IOrnAssertHandlerCB::lookupName);
}

FaultHeap::FaultHeap(const FaultHeap& other)
    : PlatformHeap(),
      maxBytes(other.maxBytes),
      failAt(other.failAt),
      persistent(other.persistent),
      failAll(other.failAll),
      budget(other.budget),
      kinds(other.kinds) {}

FaultHeap FaultHeap::failingRequest(int k, bool persistentFailure) {
  FaultHeap heap;
  heap.failAt = k;
  heap.persistent = persistentFailure;
  return heap;
}

FaultHeap FaultHeap::servingAtMost(size_t bytes) {
  FaultHeap heap;
  heap.maxBytes = bytes;
  return heap;
}

FaultHeap FaultHeap::failingEverything() {
  FaultHeap heap;
  heap.failAll = true;
  return heap;
}

FaultHeap FaultHeap::withBudget(size_t bytes) {
  FaultHeap heap;
  heap.budget = bytes;
  return heap;
}

size_t FaultHeap::sizeOfLocked(void* block) const {
  auto it = live_.find(block);
  return it == live_.end() ? 0 : it->second;
}

bool FaultHeap::refuses(Kind kind, size_t size, size_t replacedBytes) {
  std::lock_guard<std::mutex> guard(lock_);
  bool refused = false;
  if ((kinds & kind) != 0) {
    const int number = ++planned_;
    const size_t liveAfter = liveBytes_ - replacedBytes + size;
    refused = failAll || size > maxBytes || liveAfter > budget ||
              (failAt > 0 && number == failAt) || (failAt > 0 && persistent && number > failAt);
  }
  requests_.push_back(Request{kind, size, !refused});
  return refused;
}

void* FaultHeap::allocate(size_t size) {
  if (refuses(mallocRequest, size, 0)) return nullptr;
  void* block = PlatformHeap::allocate(size);
  if (block != nullptr) {
    std::lock_guard<std::mutex> guard(lock_);
    live_[block] = size;
    liveBytes_ += size;
  }
  return block;
}

void* FaultHeap::reallocate(void* block, size_t size) {
  size_t oldSize;
  {
    std::lock_guard<std::mutex> guard(lock_);
    oldSize = sizeOfLocked(block);
  }
  if (refuses(reallocRequest, size, oldSize)) return nullptr;
  void* fresh = PlatformHeap::reallocate(block, size);
  if (fresh != nullptr) {
    std::lock_guard<std::mutex> guard(lock_);
    if (live_.erase(block) != 0) liveBytes_ -= oldSize;
    live_[fresh] = size;
    liveBytes_ += size;
  }
  return fresh;
}

void FaultHeap::release(void* block) {
  if (block != nullptr) {
    std::lock_guard<std::mutex> guard(lock_);
    ++frees_;
    auto it = live_.find(block);
    if (it != live_.end()) {
      liveBytes_ -= it->second;
      live_.erase(it);
    }
  }
  PlatformHeap::release(block);
}

size_t FaultHeap::liveBytes() const {
  std::lock_guard<std::mutex> guard(lock_);
  return liveBytes_;
}

std::vector<FaultHeap::Request> FaultHeap::requests() const {
  std::lock_guard<std::mutex> guard(lock_);
  return requests_;
}

std::vector<size_t> FaultHeap::sizes(int ofKinds) const {
  std::lock_guard<std::mutex> guard(lock_);
  std::vector<size_t> out;
  for (const Request& request : requests_) {
    if ((request.kind & ofKinds) != 0) out.push_back(request.size);
  }
  return out;
}

int FaultHeap::frees() const {
  std::lock_guard<std::mutex> guard(lock_);
  return frees_;
}

int FaultFiles::openSpill(const char16_t* path, bool* nameTaken) {
  openedPaths.emplace_back(path ? path : u"");
  if (beforeOpen) beforeOpen(path);
  if (takenNames > 0) {
    --takenNames;
    if (nameTaken) *nameTaken = true;
    return platformNoFile;
  }
  if (failOpen) {
    if (nameTaken) *nameTaken = false;
    return platformNoFile;
  }
  const int file = PlatformFiles::openSpill(path, nameTaken);
  if (file != platformNoFile) {
    ++opensSucceeded;
    if (afterOpen) afterOpen(path);
  }
  return file;
}

size_t FaultFiles::write(int file, const void* data, size_t bytes) {
  const size_t asked = shortWrite && bytes > 0 ? bytes - 1 : bytes;
  const size_t done = PlatformFiles::write(file, data, asked);
  bytesWritten += done;
  return done;
}

bool FaultFiles::seekToStart(int file) {
  if (failSeek) return false;
  return PlatformFiles::seekToStart(file);
}

size_t FaultFiles::read(int file, void* data, size_t bytes) {
  const size_t asked = shortRead && bytes > 0 ? bytes - 1 : bytes;
  const size_t done = PlatformFiles::read(file, data, asked);
  bytesRead += done;
  return done;
}

void FaultFiles::close(int file) {
  ++closes;
  PlatformFiles::close(file);
}
