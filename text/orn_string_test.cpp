// OrnString: capacities follow the pool's rounding of length + 1, ownership follows capacity.
#include "text/orn_string.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "testhost/memory_services.h"
#include "testhost/test_host.h"

namespace {

TEST(OrnString, CapacityFollowsTheLengthNotTheSource) {
  OrnString none(nullptr);
  EXPECT_EQ(none.text, nullptr);
  EXPECT_EQ(none.capacity, 0);

  OrnString empty("");
  ASSERT_NE(empty.text, nullptr);
  EXPECT_STREQ(empty.text, "");
  EXPECT_EQ(empty.capacity, 4);

  OrnString three("abc");
  EXPECT_EQ(three.capacity, 4);
  OrnString four("abcd");
  EXPECT_EQ(four.capacity, 8);

  // An owned 10-character text in a block much larger than it needs.
  OrnString source("0123456789.............................");
  source.text[10] = 0;
  ASSERT_GT(source.capacity, 12);
  OrnString copy;
  copy.assign(source);
  EXPECT_NE(copy.text, source.text);
  EXPECT_STREQ(copy.text, "0123456789");
  EXPECT_EQ(copy.capacity, 12);
}

TEST(OrnString, BorrowedTextIsSharedOwnedTextIsCopied) {
  static const char literal[] = "IOrnComponent";
  OrnString borrowed = OrnString::borrowing(literal);
  OrnString target("old owned text");
  target.assign(borrowed);
  EXPECT_EQ(target.text, literal);
  EXPECT_EQ(target.capacity, 0);
  EXPECT_EQ(borrowed.text, literal);

  OrnString copied(borrowed);  // copy construction follows assign
  EXPECT_EQ(copied.text, literal);
  EXPECT_EQ(copied.capacity, 0);

  OrnString owned("owned");
  OrnString deep(owned);
  EXPECT_NE(deep.text, owned.text);
  EXPECT_STREQ(deep.text, "owned");
  EXPECT_EQ(deep.capacity, 8);

  OrnString fromEmpty("x");
  fromEmpty.assign(OrnString());
  EXPECT_EQ(fromEmpty.text, nullptr);
  EXPECT_EQ(fromEmpty.capacity, 0);
}

TEST(OrnString, SelfAssignmentKeepsOwnedText) {
  OrnString s("keep me");
  char* before = s.text;
  s.assign(s);
  OrnString& alias = s;
  s = alias;
  EXPECT_EQ(s.text, before);
  EXPECT_STREQ(s.text, "keep me");
  EXPECT_EQ(s.capacity, 8);
}

TEST(OrnString, ClearReleasesOnlyWhatItOwns) {
  char buffer[] = "borrowed";
  OrnString borrowed = OrnString::borrowing(buffer);
  borrowed.clear();
  EXPECT_EQ(borrowed.text, nullptr);
  EXPECT_STREQ(buffer, "borrowed");

  OrnString empty;
  empty.clear();
  EXPECT_EQ(empty.text, nullptr);
  EXPECT_EQ(empty.capacity, 0);

  OrnString owned("owned");
  owned.borrow(buffer);  // releases the owned block first
  EXPECT_EQ(owned.text, buffer);
  EXPECT_EQ(owned.capacity, 0);
}

TEST(OrnString, MoveTakesOverTheBlock) {
  OrnString source("moving");
  char* block = source.text;
  OrnString target(std::move(source));
  EXPECT_EQ(target.text, block);
  EXPECT_EQ(target.capacity, 8);
  EXPECT_EQ(source.text, nullptr);
  EXPECT_EQ(source.capacity, 0);
}

TEST(OrnString, OwnershipCheck) {
  OrnString owned("abc");
  EXPECT_TRUE(stringIsSound(owned));
  EXPECT_TRUE(stringIsSound(OrnString()));
  EXPECT_TRUE(stringIsSound(OrnString::borrowing("x")));

  OrnString broken;
  broken.capacity = -1;
  EXPECT_FALSE(stringIsSound(broken));
  broken.capacity = 4;  // owned, but no text
  EXPECT_FALSE(stringIsSound(broken));
  char unterminated[4] = {'a', 'b', 'c', 'd'};
  broken.text = unterminated;  // owned, no NUL inside the block
  EXPECT_FALSE(stringIsSound(broken));
  broken.text = nullptr;
  broken.capacity = 0;
}

}  // namespace

// A record told to keep text that lies in its own block keeps a copy: the block itself is released.
TEST(OrnString, TextFromTheOwnBlockSurvivesAssignAndBorrow) {
  OrnString owner("own text");
  OrnString view = OrnString::borrowing(owner.text + 3);  // " text", inside owner's block
  owner.assign(view);
  ASSERT_NE(owner.text, nullptr);
  EXPECT_STREQ(owner.text, " text");
  EXPECT_GT(owner.capacity, 0);

  OrnString again("borrow me");
  again.borrow(again.text + 7);  // "me"
  ASSERT_NE(again.text, nullptr);
  EXPECT_STREQ(again.text, "me");
  EXPECT_EQ(again.capacity, 4);

  char outside[] = "outside";
  again.borrow(outside);  // text elsewhere is still only pointed at
  EXPECT_EQ(again.text, outside);
  EXPECT_EQ(again.capacity, 0);
}

#if !defined(_WIN32) && UINTPTR_MAX > 0xFFFFFFFFu
// A text too long for a block's 32-bit capacity ends on the out-of-memory road instead of a
// wrapped request and a copy past the block.
TEST(OrnStringDeathTest, TextLongerThanAPooledBlockCanHoldEndsTheProcess) {
  const size_t length = static_cast<size_t>(INT32_MAX) + 16;
  std::string huge(length, 'x');
  EXPECT_EXIT(
      {
        // An assertion handler that records and lets the caller go on, as a host's does.
        auto* handler = new RecordingAssertHandler();
        static_cast<IOrnUnknown*>(handler)->addRef();
        attachTestHost().offer<IOrnAssertHandlerCB>(handler);
        OrnString copy(huge.c_str());
      },
      testing::ExitedWithCode(255), "");
}
#endif
