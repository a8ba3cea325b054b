#include "host/orn_host.h"

#include "host/host_boundary.h"

OrnHostApp::OrnHostApp(const OrnHostOptions& options)
    : pool_(hostSharedPool()),
      memoryManager_(options.memoryReserveBytes, options.memoryReserveSteps),
      dirService_(settings_),
      translatorService_(translator_),
      hostCode_(options.hostCode) {
  offer<IDataStore>(&settings_);
  offer<IOrnErrorService>(&errors_);
  offer<IOrnAssertHandlerCB>(&assertions_);
  offer<OrnMM::IOrnMManager>(&memoryManager_);
  offer<IOrnHeapMemoryUsage>(&heapUsage_);
  offer<IMemChecker>(&memChecker_);
  offer<IOrnDirService>(&dirService_);
  offer<IOrnTranslatorService>(&translatorService_);
  offer<IOrnTranslator>(&translator_);
  offer<IBucketMemoryPool>(&pool_);
  errors_.setDisplayTranslation(
      [this](const std::string& text) { return translator_.translateUtf8(text); });
}

OrnHostApp::~OrnHostApp() = default;

void OrnHostApp::offer(const std::string& name, void* view, IOrnUnknown* object) {
  std::lock_guard<std::mutex> guard(mutex_);
  offers_[name] = Offer{view, object, object ? object->refCount() : 0};
}

void OrnHostApp::withdraw(const std::string& name) {
  std::lock_guard<std::mutex> guard(mutex_);
  offers_.erase(name);
}

int OrnHostApp::requestCount(const std::string& name) const {
  std::lock_guard<std::mutex> guard(mutex_);
  auto it = requestCounts_.find(name);
  return it == requestCounts_.end() ? 0 : it->second;
}

void OrnHostApp::noteServiceCounts() {
  std::lock_guard<std::mutex> guard(mutex_);
  for (auto& [name, offer] : offers_) {
    offer.notedCount = offer.object ? offer.object->refCount() : 0;
  }
}

std::vector<OrnHostApp::ServiceChange> OrnHostApp::serviceChanges() const {
  std::lock_guard<std::mutex> guard(mutex_);
  std::vector<ServiceChange> changes;
  for (const auto& [name, offer] : offers_) {
    if (offer.object == nullptr) continue;
    const int32_t change = offer.object->refCount() - offer.notedCount;
    if (change != 0) changes.push_back(ServiceChange{name, change});
  }
  return changes;
}

int OrnHostApp::getService(const OrnString& name, void** out) noexcept {
  if (out == nullptr) return 0;
  const char* asked = name.c_str();
  return hostBoundary(0, [&] {
    std::lock_guard<std::mutex> guard(mutex_);
    auto counted = requestCounts_.find(asked);
    if (counted != requestCounts_.end()) {
      ++counted->second;
    } else {
      // A first request for this name needs a node: without memory it goes uncounted, and the
      // service is still handed out.
      hostBoundaryWith([&] { requestCounts_.emplace(asked, 1); }, []() noexcept {});
    }
    auto it = offers_.find(asked);
    if (it == offers_.end()) return 0;
    *out = it->second.view;
    return 1;
  });
}

void OrnHostApp::addRefHook(int* count) noexcept {
  if (count != nullptr) tracker_.addRef(count);
}

bool OrnHostApp::releaseHook(int* count) noexcept {
  return count != nullptr && tracker_.release(count);
}

bool OrnHostApp::queryInterface(const char* name, void** out, int /*options*/) noexcept {
  return hostBoundary(false, [&] {
    return queryClass(name, out, this, classNameText, false) ||
           queryInterfaceName(name, out, static_cast<IOrnHost*>(this), IOrnHost::lookupName);
  });
}
