// Reference counting with and without a host, and interface query by name.
#include "core/object.h"

#include <gtest/gtest.h>

#include "core/component.h"
#include "core/interface_names.h"
#include "testhost/test_host.h"

namespace {

// Records the count it saw at destruction.
struct Probe : public IOrnClcBinary {
  static constexpr const char* classNameText = "Probe";
  explicit Probe(int* countAtDestruction) : seen(countAtDestruction) {}
  ~Probe() override { *seen = refCountField; }
  int32_t version() override { return 0; }
  const uint8_t* data() override { return nullptr; }
  int32_t size() override { return 0; }
  bool queryInterface(const char* name, void** out, int) override {
    return queryClass(name, out, this, classNameText, false) ||
           queryInterfaceName(name, out, static_cast<IOrnClcBinary*>(this), "IOrnClcBinary");
  }
  const char* className() override { return classNameText; }
  int* seen;
};

constexpr int notDestroyed = 12345;

TEST(ObjectCounting, WithoutHostLastReleaseWritesMarkerThenDestroys) {
  int seen = notDestroyed;
  Probe* probe = new Probe(&seen);
  EXPECT_EQ(probe->refCount(), 0);
  probe->addRef();
  probe->addRef();
  EXPECT_EQ(probe->refCount(), 2);
  probe->release();
  EXPECT_EQ(seen, notDestroyed);
  probe->release();
  EXPECT_EQ(seen, releasedMarker);
}

TEST(ObjectCounting, WithoutHostReleaseOfFreshObjectGoesNegativeAndDestroysNothing) {
  int seen = notDestroyed;
  Probe* probe = new Probe(&seen);
  probe->release();
  EXPECT_EQ(probe->refCount(), -1);
  EXPECT_EQ(seen, notDestroyed);
  delete probe;
}

TEST(ObjectCounting, WithHostTheHooksChangeTheCountInPlace) {
  TestHost& host = attachTestHost();
  int seen = notDestroyed;
  Probe* probe = new Probe(&seen);
  probe->addRef();
  probe->addRef();
  EXPECT_EQ(host.addRefHookCalls, 2);
  EXPECT_EQ(probe->refCount(), 2);
  probe->release();
  EXPECT_EQ(seen, notDestroyed);
  probe->release();
  EXPECT_EQ(host.releaseHookCalls, 2);
  // Destroyed by the module because the hook said so; the module wrote no marker.
  EXPECT_EQ(seen, 0);
}

TEST(ObjectCounting, HostThatNeverSaysDestroyKeepsTheObject) {
  TestHost& host = attachTestHost();
  host.releaseDestroys = false;
  int seen = notDestroyed;
  Probe* probe = new Probe(&seen);
  probe->addRef();
  probe->release();
  probe->release();
  EXPECT_EQ(seen, notDestroyed);
  EXPECT_EQ(probe->refCount(), -1);
  delete probe;
}

TEST(ObjectCounting, ReferencesTakenBeforeTheHostAttachedStayValid) {
  int seen = notDestroyed;
  Probe* probe = new Probe(&seen);
  probe->addRef();
  attachTestHost();
  probe->addRef();
  EXPECT_EQ(probe->refCount(), 2);
  probe->release();
  probe->release();
  EXPECT_EQ(seen, 0);
}

TEST(ObjectQuery, NamesAreExactAndCaseSensitive) {
  int seen = notDestroyed;
  Probe probe(&seen);
  void* out = reinterpret_cast<void*>(0x1);
  EXPECT_TRUE(probe.queryInterface("Probe", &out, 0));
  EXPECT_EQ(out, static_cast<void*>(&probe));
  EXPECT_TRUE(probe.queryInterface("IOrnClcBinary", &out, 0));
  EXPECT_EQ(out, static_cast<void*>(static_cast<IOrnClcBinary*>(&probe)));
  EXPECT_TRUE(probe.queryInterface("IOrnUnknown", &out, 0));
  EXPECT_EQ(out, static_cast<void*>(static_cast<IOrnUnknown*>(&probe)));
  for (const char* miss : {"probe", "iornunknown", "IOrnClcBinar", "IOrnClcBinaryX", ""}) {
    out = reinterpret_cast<void*>(0x1);
    EXPECT_FALSE(probe.queryInterface(miss, &out, 0)) << miss;
    EXPECT_EQ(out, nullptr) << miss;
  }
  EXPECT_EQ(probe.refCount(), 0) << "queries take no reference";
  for (const char* name : {"Probe", "IOrnClcBinary", "IOrnUnknown", "Other"}) {
    EXPECT_FALSE(probe.queryInterface(name, nullptr, 0)) << "no out pointer: " << name;
  }
}

TEST(ObjectQuery, QueryClassWithNullSelfFindsNothing) {
  void* out = reinterpret_cast<void*>(0x1);
  EXPECT_FALSE(queryClass<IOrnUnknown>("IOrnUnknown", &out, nullptr, "X", false));
  EXPECT_EQ(out, nullptr);
}

}  // namespace
