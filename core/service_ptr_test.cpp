// Service pointers: lookup by name, one reference per holder, the three holding styles.
#include "core/service_ptr.h"

#include <gtest/gtest.h>

#include "testhost/recording_services.h"
#include "testhost/test_host.h"

namespace {

TEST(ServicePointer, AcquireBeforeTheHostAttachesFindsNothingAndCallsNothing) {
  moduleHost = nullptr;
  IPtr<IOrnErrorService> holder;
  EXPECT_EQ(holder.acquire(), 0);
  EXPECT_FALSE(holder);
  EXPECT_EQ(holder.unknown, nullptr);
  SPtr<IOrnErrorService> fetched;
  EXPECT_FALSE(fetched);
}

TEST(ServicePointer, AcquireTakesExactlyOneReferenceAndDestructionDropsIt) {
  TestHost& host = attachTestHost();
  host.releaseDestroys = false;  // the service lives on the stack
  RecordingErrorService service;
  host.offer(&service);
  {
    SPtr<IOrnErrorService> holder;
    ASSERT_TRUE(holder);
    EXPECT_EQ(holder.get(), static_cast<IOrnErrorService*>(&service));
    EXPECT_EQ(holder.unknown, static_cast<IOrnUnknown*>(&service));
    EXPECT_EQ(service.refCount(), 1);
    EXPECT_EQ(host.requests.back(), "IOrnErrorService");
  }
  EXPECT_EQ(service.refCount(), 0);
  host.offer("IOrnErrorService", nullptr);
}

TEST(ServicePointer, AcquireTwiceReleasesTheFirstReferenceOnceEvenWhenTheLookupFails) {
  TestHost& host = attachTestHost();
  host.releaseDestroys = false;  // the service lives on the stack
  RecordingErrorService service;
  host.offer(&service);
  IPtr<IOrnErrorService> holder;
  holder.acquire();
  holder.acquire();
  EXPECT_EQ(service.refCount(), 1);
  host.offer("IOrnErrorService", nullptr);
  holder.acquire();
  EXPECT_FALSE(holder);
  EXPECT_EQ(holder.unknown, nullptr);
  EXPECT_EQ(service.refCount(), 0);
  EXPECT_EQ(host.releaseHookCalls, 2);
}

TEST(ServicePointer, AssignOfTheHeldPointerKeepsTheCountAndTheObject) {
  TestHost& host = attachTestHost();
  host.releaseDestroys = false;
  RecordingErrorService service;
  IPtr<IOrnErrorService> holder;
  holder.assign(&service);
  EXPECT_EQ(service.refCount(), 1);
  holder.assign(&service);
  EXPECT_EQ(service.refCount(), 1);
  EXPECT_EQ(host.addRefHookCalls, 2) << "the new reference is taken before the old is dropped";
  holder.assign(nullptr);
  EXPECT_EQ(service.refCount(), 0);
  EXPECT_FALSE(holder);
}

TEST(ServicePointer, DestroyingAnEmptyHolderCallsNothing) {
  TestHost& host = attachTestHost();
  { IPtr<IOrnErrorService> holder; }
  EXPECT_EQ(host.releaseHookCalls, 0);
  EXPECT_EQ(host.addRefHookCalls, 0);
}

TEST(ServicePointer, HolderPassesTheHostResultBack) {
  TestHost& host = attachTestHost();
  host.releaseDestroys = false;
  RecordingErrorService service;
  host.offer(&service);
  IPtr<IOrnErrorService> holder;
  EXPECT_EQ(holder.acquire(), 1);
  holder.reset();
  host.offer("IOrnErrorService", nullptr);
  EXPECT_EQ(holder.acquire(), 0);
}

}  // namespace
