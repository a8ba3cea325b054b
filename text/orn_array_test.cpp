// OrnArray: growth by doubling from the first push, both storage policies, slot 0 kept.
#include "text/orn_array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>

#include "core/interface_names.h"
#include "testhost/memory_services.h"
#include "testhost/test_host.h"
#include "text/orn_string.h"

namespace {

TEST(OrnArray, ObjectArrayGrowsByDoublingFromTwo) {
  OrnArray<OrnString> names;
  EXPECT_EQ(names.capacity, 0);
  EXPECT_EQ(names.data, nullptr);
  names.push(OrnString::borrowing("one"));
  EXPECT_EQ(names.capacity, 2);
  EXPECT_EQ(names.top, 1);
  EXPECT_STREQ(names.at(1).text, "one");
  EXPECT_EQ(names.at(0).text, nullptr);  // a push never writes slot 0
  names.push(OrnString::borrowing("two"));
  EXPECT_EQ(names.capacity, 4);
  for (int k = 3; k <= 5; ++k) names.push(OrnString::borrowing("more"));
  EXPECT_EQ(names.capacity, 8);
  EXPECT_EQ(names.top, 5);
  EXPECT_STREQ(names.topElement().text, "more");
  EXPECT_STREQ(names.at(2).text, "two");
}

TEST(OrnArray, GrowthCopiesSlotZeroToo) {
  OrnArray<OrnString> names;
  names.at(0) = OrnString("slot zero");  // reaching index 0 grows to one slot
  EXPECT_EQ(names.capacity, 1);
  names.push(OrnString::borrowing("a"));
  names.push(OrnString::borrowing("b"));
  EXPECT_EQ(names.capacity, 4);
  EXPECT_STREQ(names.at(0).text, "slot zero");
  EXPECT_GT(names.at(0).capacity, 0);
}

TEST(OrnArray, PushedStringsFollowTheirOwnership) {
  static const char literal[] = "borrowed";
  OrnArray<OrnString> names;
  names.push(OrnString::borrowing(literal));
  EXPECT_EQ(names.at(1).text, literal);
  EXPECT_EQ(names.at(1).capacity, 0);
  OrnString owned("owned");
  names.push(owned);
  EXPECT_NE(names.at(2).text, owned.text);
  EXPECT_STREQ(names.at(2).text, "owned");
  EXPECT_EQ(names.at(2).capacity, 8);
}

TEST(OrnArray, EmptyingKeepsSlotsForLaterPushes) {
  OrnArray<OrnString> names;
  names.push(OrnString("first"));
  names.push(OrnString("second"));
  names.top = 0;
  EXPECT_STREQ(names.at(2).text, "second");
  names.push(OrnString::borrowing("again"));
  EXPECT_STREQ(names.at(1).text, "again");
  EXPECT_EQ(names.capacity, 4);
}

TEST(OrnArray, PushingAnElementOfTheSameArrayWhileItGrows) {
  OrnArray<OrnString> names;
  names.push(OrnString("first element"));
  ASSERT_EQ(names.capacity, 2);
  names.push(names.at(1));  // the storage moves during this push
  EXPECT_EQ(names.capacity, 4);
  EXPECT_STREQ(names.at(2).text, "first element");
  EXPECT_NE(names.at(2).text, names.at(1).text);

  OrnArray<int*> plain;
  int value = 7;
  plain.push(&value);
  plain.push(plain.at(1));
  EXPECT_EQ(plain.at(2), &value);
}

TEST(OrnArray, RecordsCopyFieldByFieldOnGrowth) {
  OrnArray<InterfaceNameRecord> records;
  InterfaceNameRecord record;
  record.name.borrow("IOrnTranslator");
  record.isClass = 0;
  record.parent = OrnString("OrnTrivialTranslator");
  for (int k = 0; k < 5; ++k) records.push(record);
  EXPECT_EQ(records.capacity, 8);
  for (int k = 1; k <= 5; ++k) {
    EXPECT_STREQ(records.at(k).name.text, "IOrnTranslator");
    EXPECT_EQ(records.at(k).isClass, 0);
    EXPECT_STREQ(records.at(k).parent.text, "OrnTrivialTranslator");
    EXPECT_NE(records.at(k).parent.text, record.parent.text);
  }
}

TEST(OrnArray, PlainArrayStartsAtItsExactCapacityZeroFilled) {
  OrnArray<void*> slots(9);
  EXPECT_EQ(slots.capacity, 9);
  for (int k = 0; k < 9; ++k) EXPECT_EQ(slots.data[k], nullptr);
  for (int k = 1; k <= 9; ++k) slots.push(&slots);
  EXPECT_EQ(slots.capacity, 18);  // index 9 needs 10 slots; 9 doubled is 18
  EXPECT_EQ(slots.at(9), static_cast<void*>(&slots));
  for (int k = 10; k < 18; ++k) EXPECT_EQ(slots.data[k], nullptr);

  OrnArray<void*> fresh;
  fresh.at(5) = &fresh;
  EXPECT_EQ(fresh.capacity, 8);
  for (int k = 0; k < 8; ++k) EXPECT_EQ(fresh.data[k], k == 5 ? &fresh : nullptr);
}

// A top already at the largest index (a broken record from a host) has no slot above it: a plain
// array ends on the out-of-memory road, an object array throws, and neither wraps to slot 0.
TEST(OrnArrayDeathTest, PushAboveTheLargestIndexFailsAsTooLarge) {
  EXPECT_EXIT(
      {
        // An assertion handler that lets the caller go on, as a host's does.
        auto* handler = new RecordingAssertHandler();
        static_cast<IOrnUnknown*>(handler)->addRef();
        attachTestHost().offer<IOrnAssertHandlerCB>(handler);
        OrnArray<void*> slots;
        slots.top = INT32_MAX;
        slots.push(nullptr);
      },
#ifdef _WIN32
      testing::ExitedWithCode(-1),
#else
      testing::ExitedWithCode(255),
#endif
      "");
  OrnArray<OrnString> names;
  names.top = INT32_MAX;
  EXPECT_THROW(names.push(OrnString::borrowing("x")), std::bad_array_new_length);
  names.top = 0;
}

}  // namespace
