// OrnHostApp: the host object that orn-host (and anyone embedding modules) attaches to a module.
#ifndef ORN_HOST_ORN_HOST_H_
#define ORN_HOST_ORN_HOST_H_

#include <atomic>
#include <map>
#include <string>

#include "core/host.h"

class OrnHostApp : public IOrnHost {
 public:
  static constexpr const char* classNameText = "OrnHostApp";

  // Offers `view` under name (null withdraws it).
  void offer(const std::string& name, void* view);

  int getService(const OrnString& name, void** out) override;
  int hostCode() override { return 'O'; }
  // Counting is atomic; "destroy" is decided from the value the decrement returned.
  void addRefHook(int* count) override;
  bool releaseHook(int* count) override;

  bool queryInterface(const char* name, void** out, int options) override;
  const char* className() override { return classNameText; }

 private:
  std::map<std::string, void*> services_;
};

#endif  // ORN_HOST_ORN_HOST_H_
