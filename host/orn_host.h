// OrnHostApp: a real host (IOrnHost) for orn-host and for anyone embedding modules. It serves
// every host service and counts the references of module objects.
#ifndef ORN_HOST_ORN_HOST_H_
#define ORN_HOST_ORN_HOST_H_

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/host.h"
#include "host/assert_handler.h"
#include "host/dir_service.h"
#include "host/error_service.h"
#include "host/host_owned.h"
#include "host/host_translator.h"
#include "host/memory_figures.h"
#include "host/memory_manager.h"
#include "host/ref_tracker.h"
#include "host/settings_store.h"
#include "host/shared_pool.h"

struct OrnHostOptions {
  size_t memoryReserveBytes = 8u << 20;  // the memory manager's reserve
  int memoryReserveSteps = 8;            // given back in this many steps
  int hostCode = 'O';
};

// A service the host offers, with the count it had when it was last noted.
struct OfferedService {
  std::string name;
  IOrnUnknown* object;  // host-owned
  int32_t notedCount;
};

// Attach it to a module with IOrnComponent::initialize; it must outlive every module attached to
// it, including their unload (the module's exit list releases services through it). Services are
// offered at construction and answer from any thread; offer() and withdraw() are guarded by a
// mutex and meant for set-up.
class OrnHostApp : public HostOwned<IOrnHost> {
 public:
  static constexpr const char* classNameText = "OrnHostApp";

  explicit OrnHostApp(const OrnHostOptions& options = OrnHostOptions());
  ~OrnHostApp() override;
  OrnHostApp(const OrnHostApp&) = delete;
  OrnHostApp& operator=(const OrnHostApp&) = delete;

  // Offers view (the interface pointer a module receives) under name; `object` is the same
  // object's IOrnUnknown part, whose count the host notes for the leak report.
  void offer(const std::string& name, void* view, IOrnUnknown* object);
  template <class I>
  void offer(I* service) {
    offer(I::lookupName, static_cast<void*>(service), static_cast<IOrnUnknown*>(service));
  }
  void withdraw(const std::string& name);
  // How often a module asked for name, offered or not.
  int requestCount(const std::string& name) const;

  // Notes the count of every offered service (before a module is loaded).
  void noteServiceCounts();
  // Services whose count differs from the noted one: positive `change` is references a module
  // took and never released.
  struct ServiceChange {
    std::string name;
    int32_t change;
  };
  std::vector<ServiceChange> serviceChanges() const;

  // IOrnHost. Nothing leaves these operations (see host_boundary.h). getService finds an offered
  // service without allocating, so a module whose memory has run out still reaches its error
  // service; only the request count of a name never asked before may then be lost.
  int getService(const OrnString& name, void** out) noexcept override;
  int hostCode() noexcept override { return hostCode_; }
  void addRefHook(int* count) noexcept override;
  bool releaseHook(int* count) noexcept override;
  bool queryInterface(const char* name, void** out, int options) noexcept override;
  const char* className() noexcept override { return classNameText; }

  HostSettings& settings() { return settings_; }
  HostErrorService& errors() { return errors_; }
  HostAssertHandler& assertions() { return assertions_; }
  HostMemoryManager& memoryManager() { return memoryManager_; }
  HostHeapUsage& heapUsage() { return heapUsage_; }
  HostMemChecker& memChecker() { return memChecker_; }
  HostDirService& dirService() { return dirService_; }
  HostTranslator& translator() { return translator_; }
  HostTranslatorService& translatorService() { return translatorService_; }
  HostSharedPool& pool() { return pool_; }
  RefTracker& tracker() { return tracker_; }

 private:
  struct Offer {
    void* view;
    IOrnUnknown* object;
    int32_t notedCount;
  };

  // First: the host's own strings (settings, messages) already take their blocks from it.
  HostSharedPool& pool_;
  HostSettings settings_;
  HostErrorService errors_;
  HostAssertHandler assertions_;
  HostMemoryManager memoryManager_;
  HostHeapUsage heapUsage_;
  HostMemChecker memChecker_;
  HostDirService dirService_;
  HostTranslator translator_;
  HostTranslatorService translatorService_;
  RefTracker tracker_;
  int hostCode_;

  mutable std::mutex mutex_;
  // Ordered by std::less<> so that a module's name is looked up as it stands, without a copy.
  std::map<std::string, Offer, std::less<>> offers_;       // guarded by mutex_
  std::map<std::string, int, std::less<>> requestCounts_;  // guarded by mutex_
};

#endif  // ORN_HOST_ORN_HOST_H_
