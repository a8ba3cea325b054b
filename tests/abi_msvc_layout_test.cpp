// The Microsoft C++ ABI layout of the framework's interfaces and records, as a host built with the
// Microsoft compiler sees them (4-byte pointers): the table slot of every interface operation and
// the offset of every field a host reads. Built by the win32-msvc leg only.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/component.h"
#include "core/host.h"
#include "core/interface_names.h"
#include "core/module_globals.h"
#include "core/orn_id.h"
#include "pool/bucket_pool.h"
#include "text/orn_array.h"
#include "text/orn_hash_table.h"
#include "text/orn_string.h"
#include "text/orn_wstring.h"
#include "translation/translator.h"

namespace {

// The table slot a pointer to a virtual member calls: the compiler's call thunk loads the table
// from the object (mov eax,[ecx]) and then jumps through one of its entries (jmp [eax+offset],
// optimised) or loads it first (mov eax,[eax+offset]; jmp eax, unoptimised).
template <class M>
int slotOf(M member) {
  const unsigned char* code = nullptr;
  std::memcpy(&code, &member, sizeof code);
  for (int i = 0; i < 32; ++i) {
    if (code[i] != 0x8B || code[i + 1] != 0x01) continue;  // mov eax, [ecx]
    const unsigned char* next = code + i + 2;
    if (next[0] != 0xFF && next[0] != 0x8B) return -1;
    switch (next[1]) {
      case 0x20:  // jmp [eax]
      case 0x00:  // mov eax, [eax]
        return 0;
      case 0x60:  // jmp [eax+d8]
      case 0x40:  // mov eax, [eax+d8]
        return next[2] / 4;
      case 0xA0:    // jmp [eax+d32]
      case 0x80: {  // mov eax, [eax+d32]
        int32_t offset = 0;
        std::memcpy(&offset, next + 2, 4);
        return offset / 4;
      }
      default:
        return -1;
    }
  }
  return -1;
}

template <class Sig, class C>
int overloadSlot(Sig C::*member) {
  return slotOf(member);
}

}  // namespace

// Every table begins with the interface's own operations; a virtual destructor is one slot.
TEST(MicrosoftLayout, IOrnUnknownTableIsDestructorAddRefReleaseRefCountQueryInterfaceClassName) {
  EXPECT_EQ(slotOf(&IOrnUnknown::addRef), 1);
  EXPECT_EQ(slotOf(&IOrnUnknown::release), 2);
  EXPECT_EQ(slotOf(&IOrnUnknown::refCount), 3);
  EXPECT_EQ(slotOf(&IOrnUnknown::queryInterface), 4);
  EXPECT_EQ(slotOf(&IOrnUnknown::className), 5);
}

TEST(MicrosoftLayout, ComponentInterfacesListTheirOwnOperationsFromSlotZero) {
  EXPECT_EQ(slotOf(&IOrnComponent::initialize), 0);
  EXPECT_EQ(slotOf(&IOrnComponent::terminate), 1);
  EXPECT_EQ(slotOf(&IOrnComponent::createInstance), 2);
  EXPECT_EQ(slotOf(&IOrnComponent::buildStamp), 3);
  EXPECT_EQ(slotOf(&IOrnComponent::descriptor), 4);

  EXPECT_EQ(slotOf(&IOrnCompInternal::reserved1), 0);
  EXPECT_EQ(slotOf(&IOrnCompInternal::reserved2), 1);
  EXPECT_EQ(slotOf(&IOrnCompInternal::identifier), 2);
  EXPECT_EQ(slotOf(&IOrnCompInternal::name), 3);
  EXPECT_EQ(slotOf(&IOrnCompInternal::buildStamp), 4);
  EXPECT_EQ(slotOf(&IOrnCompInternal::classCount), 5);
  EXPECT_EQ(slotOf(&IOrnCompInternal::firstClass), 6);
  EXPECT_EQ(slotOf(&IOrnCompInternal::nextClass), 7);
  EXPECT_EQ(slotOf(&IOrnCompInternal::classNameOf), 8);
  EXPECT_EQ(slotOf(&IOrnCompInternal::probe), 9);
  EXPECT_EQ(slotOf(&IOrnCompInternal::runTests), 10);

  EXPECT_EQ(slotOf(&IOrnClcBinary::version), 0);
  EXPECT_EQ(slotOf(&IOrnClcBinary::data), 1);
  EXPECT_EQ(slotOf(&IOrnClcBinary::size), 2);
}

TEST(MicrosoftLayout, PlainInterfacesHaveTheirDestructorInSlotZero) {
  EXPECT_EQ(slotOf(&IOrnClassFactory::createInstance), 1);
  EXPECT_EQ(slotOf(&IOrnClassFactory::classCount), 2);
  EXPECT_EQ(slotOf(&IOrnClassFactory::firstClass), 3);
  EXPECT_EQ(slotOf(&IOrnClassFactory::nextClass), 4);
  EXPECT_EQ(slotOf(&IOrnClassFactory::classNameOf), 5);
  EXPECT_EQ(slotOf(&IOrnComponentFactory::create), 1);
  EXPECT_EQ(slotOf(&IOrnComponentCustomizer::onInitialize), 1);
  EXPECT_EQ(slotOf(&IOrnComponentCustomizer::onTerminate), 2);
  EXPECT_EQ(slotOf(&IOrnTestService::runTest), 0);
}

TEST(MicrosoftLayout, HostServicesSitAfterTheirReservedSlots) {
  EXPECT_EQ(slotOf(&IOrnHost::reserved1), 0);
  EXPECT_EQ(slotOf(&IOrnHost::getService), 6);  // the seventh entry
  EXPECT_EQ(slotOf(&IOrnHost::hostCode), 9);
  EXPECT_EQ(slotOf(&IOrnHost::addRefHook), 10);
  EXPECT_EQ(slotOf(&IOrnHost::releaseHook), 11);
  EXPECT_EQ(slotOf(&IDataStore::stringValue), 24);
  EXPECT_EQ(slotOf(&IOrnDirService::directory), 0);
  EXPECT_EQ(slotOf(&IOrnErrorService::reportError), 2);
  EXPECT_EQ(slotOf(&IOrnAssertHandlerCB::reportAssertion), 0);
  EXPECT_EQ(slotOf(&OrnMM::IOrnMManager::releaseMemory), 10);  // the 11th
  EXPECT_EQ(slotOf(&OrnMM::IOrnMManager::coreLimit), 13);
  EXPECT_EQ(slotOf(&OrnMM::IOrnMManager::swapLimit), 14);
  EXPECT_EQ(slotOf(&OrnMM::IOrnMManager::swapInUse), 15);
  EXPECT_EQ(slotOf(&IOrnHeapMemoryUsage::heapInUse), 4);  // the 5th
  EXPECT_EQ(slotOf(&IMemChecker::useChecker), 0);
  EXPECT_EQ(slotOf(&IMemChecker::memoryFigures), 1);
  EXPECT_EQ(slotOf(&IOrnTranslatorService::translatorFor), 1);
}

// The Microsoft ABI groups overloads in reverse order of declaration; the header declares them so
// that the table has the eight translate operations in their documented order.
TEST(MicrosoftLayout, TranslatorOverloadsTakePositionsOneToEightThenProbe) {
  using W = const OrnWString*;
  EXPECT_EQ(overloadSlot<OrnWString(const char*, int32_t, W)>(&IOrnTranslator::translate), 0);
  EXPECT_EQ(overloadSlot<OrnWString(const char*, W, W, W, W, W, W)>(&IOrnTranslator::translate), 1);
  EXPECT_EQ(overloadSlot<OrnWString(const char*, W, W, W, W, W)>(&IOrnTranslator::translate), 2);
  EXPECT_EQ(overloadSlot<OrnWString(const char*, W, W, W, W)>(&IOrnTranslator::translate), 3);
  EXPECT_EQ(overloadSlot<OrnWString(const char*, W, W, W)>(&IOrnTranslator::translate), 4);
  EXPECT_EQ(overloadSlot<OrnWString(const char*, W, W)>(&IOrnTranslator::translate), 5);
  EXPECT_EQ(overloadSlot<OrnWString(const char*, W)>(&IOrnTranslator::translate), 6);
  EXPECT_EQ(overloadSlot<OrnWString(const char*)>(&IOrnTranslator::translate), 7);
  EXPECT_EQ(slotOf(&IOrnTranslator::probe), 8);
}

TEST(MicrosoftLayout, BucketMemoryPoolOwnTableThenVirtualBaseOffsetsThenFields) {
  EXPECT_EQ(slotOf(&BucketMemoryPool::purge), 0);
  EXPECT_EQ(slotOf(&BucketMemoryPool::allocate), 1);
  EXPECT_EQ(slotOf(&BucketMemoryPool::deallocate), 2);
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Winvalid-offsetof"
  EXPECT_EQ(offsetof(BucketMemoryPool, bucketCount), 8u);
  EXPECT_EQ(offsetof(BucketMemoryPool, buckets), 12u);
  EXPECT_EQ(offsetof(BucketMemoryPool, granularity), 16u);
  EXPECT_EQ(offsetof(BucketMemoryPool, linearLimit), 20u);
  EXPECT_EQ(offsetof(BucketMemoryPool, maxPooledSize), 24u);
  EXPECT_EQ(offsetof(IOrnUnknown, refCountField), 4u);
#pragma clang diagnostic pop
  EXPECT_EQ(sizeof(IOrnUnknown), 8u);
  // An interface view: its own table, the virtual-base pointer, then the shared IOrnUnknown part.
  EXPECT_EQ(sizeof(IOrnComponent), 16u);
  EXPECT_EQ(sizeof(IBucketMemoryPool), 12u);
  EXPECT_EQ(offsetof(PoolEntry, block), 4u);
  EXPECT_EQ(sizeof(PoolBucket), 12u);
}

TEST(MicrosoftLayout, RecordsAHostReadsFieldByField) {
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Winvalid-offsetof"
  EXPECT_EQ(offsetof(OrnID, data1), 4u);  // after the table of the virtual destructor
  EXPECT_EQ(offsetof(OrnID, data2), 8u);
  EXPECT_EQ(offsetof(OrnID, data3), 10u);
  EXPECT_EQ(offsetof(OrnID, data4), 12u);
  EXPECT_EQ(sizeof(OrnID), 20u);
#pragma clang diagnostic pop
  EXPECT_EQ(offsetof(OrnString, text), 0u);
  EXPECT_EQ(offsetof(OrnString, capacity), 4u);
  EXPECT_EQ(sizeof(OrnString), 8u);
  EXPECT_EQ(offsetof(OrnWString, text), 0u);
  EXPECT_EQ(offsetof(OrnWString, capacity), 4u);
  EXPECT_EQ(offsetof(OrnWString, aux1), 8u);
  EXPECT_EQ(offsetof(OrnWString, aux1Capacity), 12u);
  EXPECT_EQ(offsetof(OrnWString, aux2), 16u);
  EXPECT_EQ(offsetof(OrnWString, aux2Capacity), 20u);
  EXPECT_EQ(sizeof(OrnWString), 24u);
  EXPECT_EQ(offsetof(OrnArray<OrnString>, capacity), 0u);
  EXPECT_EQ(offsetof(OrnArray<OrnString>, data), 4u);
  EXPECT_EQ(offsetof(OrnArray<OrnString>, top), 8u);
  EXPECT_EQ(offsetof(InterfaceNameRecord, name), 0u);
  EXPECT_EQ(offsetof(InterfaceNameRecord, isClass), 8u);
  EXPECT_EQ(offsetof(InterfaceNameRecord, parent), 12u);
  EXPECT_EQ(sizeof(InterfaceNameRecord), 20u);
  EXPECT_EQ(offsetof(InterfaceNameCollector, classNames), 0u);
  EXPECT_EQ(offsetof(InterfaceNameCollector, records), 4u);
  EXPECT_EQ(offsetof(InterfaceNameCollector, stopNames), 8u);
  EXPECT_EQ(offsetof(InterfaceNameCollector, stopped), 24u);
  using Entry = OrnHashEntry<OrnString, int32_t>;
  EXPECT_EQ(offsetof(Entry, bucketIndex), 0u);
  EXPECT_EQ(offsetof(Entry, key), 4u);
  EXPECT_EQ(offsetof(Entry, value), 12u);
  EXPECT_EQ(offsetof(Entry, next), 16u);
  EXPECT_EQ(sizeof(Entry), 20u);
  EXPECT_EQ(offsetof(orn_layout::NameTable, buckets), 0u);
  EXPECT_EQ(offsetof(orn_layout::NameTable, bucketCount), 4u);
  EXPECT_EQ(offsetof(orn_layout::NameTable, count), 8u);
  EXPECT_EQ(sizeof(orn_layout::NameTable), 16u);
}
