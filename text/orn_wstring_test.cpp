// OrnWString: ownership (owned blocks are copied, borrowed texts shared and never written),
// widening, appending in place or into a new block, and range replacement.
#include "text/orn_wstring.h"

#include <gtest/gtest.h>

#include <string>

#include "pool/pool_binding.h"
#include "testhost/recording_services.h"

namespace {

std::string narrow(const OrnWString& s) { return narrowForTest(s.text); }

void expectAllZero(const OrnWString& s) {
  EXPECT_EQ(s.text, nullptr);
  EXPECT_EQ(s.capacity, 0);
  EXPECT_EQ(s.aux1, nullptr);
  EXPECT_EQ(s.aux1Capacity, 0);
  EXPECT_EQ(s.aux2, nullptr);
  EXPECT_EQ(s.aux2Capacity, 0);
}

OrnWString borrowing(const char16_t* text) {
  OrnWString s;
  s.assignText(text, 0);
  return s;
}

TEST(OrnWString, NarrowTextIsWidenedByZeroExtension) {
  expectAllZero(OrnWString());
  expectAllZero(OrnWString(nullptr));

  OrnWString empty("");
  ASSERT_NE(empty.text, nullptr);
  EXPECT_EQ(empty.text[0], 0);
  EXPECT_GE(empty.capacity, 2);
  EXPECT_EQ(empty.length(), 0);
  EXPECT_EQ(OrnWString().length(), 0);

  OrnWString accented("\xE9\x7F\x80\xFF");
  ASSERT_EQ(accented.length(), 4);
  EXPECT_EQ(accented.text[0], 0x00E9);
  EXPECT_EQ(accented.text[1], 0x007F);
  EXPECT_EQ(accented.text[2], 0x0080);
  EXPECT_EQ(accented.text[3], 0x00FF);

  OrnWString one = OrnWString::fromChar('Q');
  EXPECT_EQ(narrow(one), "Q");
  EXPECT_GT(one.capacity, 0);

  OrnWString s("first");
  s.assignNarrow(nullptr);
  EXPECT_EQ(s.text, nullptr);
  EXPECT_EQ(s.capacity, 0);
}

TEST(OrnWString, AssignTextBorrowsCopiesOrEmpties) {
  static const char16_t literal[] = u"literal";
  static const char16_t nothing[] = u"";
  OrnWString s("owned before");
  s.assignText(literal, 0);
  EXPECT_EQ(s.text, literal);
  EXPECT_EQ(s.capacity, 0);
  s.assignText(nothing, 0);  // count 0 borrows even an empty source
  EXPECT_EQ(s.text, nothing);

  s.assignText(literal, -1);
  EXPECT_NE(s.text, literal);
  EXPECT_EQ(narrow(s), "literal");
  EXPECT_GE(s.capacity, 16);

  s.assignText(literal, 3);
  EXPECT_EQ(narrow(s), "lit");

  for (int count : {-1, 0, 5}) {
    s.assignText(nullptr, count);
    EXPECT_EQ(s.text, nullptr);
    EXPECT_EQ(s.capacity, 0);
  }
}

TEST(OrnWString, NegativeCountOtherThanMinusOneGivesEmpty) {
  static const char16_t literal[] = u"literal";
  OrnWString s("owned");
  for (int count : {-2, -1000, INT32_MIN}) {
    s.assignText(literal, count);
    EXPECT_EQ(s.text, nullptr);
    EXPECT_EQ(s.capacity, 0);
  }
}

TEST(OrnWString, AssignTextFromItsOwnBlock) {
  OrnWString s("abcdef");
  s.assignText(s.text + 2, -1);  // the source lies in the block being replaced
  EXPECT_EQ(narrow(s), "cdef");
  s.assignText(s.text + 1, 2);
  EXPECT_EQ(narrow(s), "de");
  s.assignText(s.text, 0);  // a borrow of the own block is made a copy
  EXPECT_EQ(narrow(s), "de");
  EXPECT_GT(s.capacity, 0);
}

TEST(OrnWString, CopiesShareBorrowedTextAndCopyOwnedText) {
  static const char16_t literal[] = u"shared";
  OrnWString borrowed = borrowing(literal);
  OrnWString copy(borrowed);
  EXPECT_EQ(copy.text, literal);
  EXPECT_EQ(copy.capacity, 0);

  OrnWString owned("owned");
  OrnWString deep(owned);
  EXPECT_NE(deep.text, owned.text);
  EXPECT_EQ(narrow(deep), "owned");
  EXPECT_GT(deep.capacity, 0);

  OrnWString target("target");
  target.assign(borrowed);
  EXPECT_EQ(target.text, literal);
  target.assign(owned);
  EXPECT_NE(target.text, owned.text);
  EXPECT_EQ(narrow(target), "owned");

  const char16_t* before = target.text;
  target.assign(target);
  target = target;
  EXPECT_EQ(target.text, before);
  EXPECT_EQ(narrow(target), "owned");
}

TEST(OrnWString, CopyTakesOnlyABorrowedFirstAuxiliaryBuffer) {
  static char16_t aux1Text[] = u"aux1";
  static char16_t aux2Text[] = u"aux2";
  OrnWString source("text");
  source.aux1 = aux1Text;
  source.aux2 = aux2Text;
  OrnWString copy(source);
  EXPECT_EQ(copy.aux1, static_cast<void*>(aux1Text));
  EXPECT_EQ(copy.aux1Capacity, 0);
  EXPECT_EQ(copy.aux2, nullptr);

  int granted = 0;
  source.aux1 = poolAlloc(8, &granted);  // owned now: never shared
  source.aux1Capacity = granted;
  OrnWString second(source);
  EXPECT_EQ(second.aux1, nullptr);

  // Assignment leaves the target's auxiliary buffers as they are.
  OrnWString target("x");
  target.aux2 = aux2Text;
  target.assign(source);
  EXPECT_EQ(target.aux1, nullptr);
  EXPECT_EQ(target.aux2, static_cast<void*>(aux2Text));
}

TEST(OrnWString, DestructionReleasesOnlyOwnedBuffers) {
  static char16_t borrowedAux[] = u"static";
  auto* s = new OrnWString("text");
  int granted = 0;
  s->aux1 = poolAlloc(16, &granted);
  s->aux1Capacity = granted;
  s->aux2 = borrowedAux;  // freeing this would fail loudly under the sanitizers
  delete s;
  EXPECT_EQ(borrowedAux[0], u's');
}

TEST(OrnWString, AppendReusesASpaciousOwnedBlock) {
  OrnWString s("ab");  // 6 bytes asked, 8 granted: room for one more unit
  const OrnWString c("c");
  const int32_t room = s.capacity;
  ASSERT_GE(room, 8);
  const char16_t* block = s.text;
  EXPECT_EQ(&s.append(c), &s);
  EXPECT_EQ(s.text, block);
  EXPECT_EQ(s.capacity, room);
  EXPECT_EQ(narrow(s), "abc");
  s.append(OrnWString());  // nothing but the terminator is rewritten
  EXPECT_EQ(s.text, block);
  EXPECT_EQ(narrow(s), "abc");
}

TEST(OrnWString, AppendBeyondTheBlockAllocates) {
  OrnWString s("ab");
  const int32_t room = s.capacity;
  std::string longer(static_cast<size_t>(room), 'x');
  s.append(OrnWString(longer.c_str()));
  EXPECT_EQ(narrow(s), "ab" + longer);
  EXPECT_GE(s.capacity, (2 + room + 1) * 2);
}

TEST(OrnWString, AppendNeverWritesABorrowedText) {
  static const char16_t literal[] = u"shared";
  OrnWString copy = borrowing(literal);
  copy.append(OrnWString("!"));
  EXPECT_NE(copy.text, literal);
  EXPECT_GT(copy.capacity, 0);
  EXPECT_EQ(narrow(copy), "shared!");
  EXPECT_EQ(literal[6], 0);

  OrnWString again = borrowing(literal);
  again.append(OrnWString());  // an empty append still gives an owned copy
  EXPECT_NE(again.text, literal);
  EXPECT_EQ(narrow(again), "shared");

  OrnWString none;
  none.append(borrowing(literal));
  EXPECT_NE(none.text, literal);
  EXPECT_EQ(narrow(none), "shared");
  OrnWString nothing;
  nothing.append(OrnWString());
  EXPECT_EQ(narrow(nothing), "");
  EXPECT_GT(nothing.capacity, 0);
}

TEST(OrnWString, AppendToItself) {
  OrnWString s("abc");
  s.append(s);
  EXPECT_EQ(narrow(s), "abcabc");
  OrnWString big("0123456789abcdef");
  big.text[3] = 0;  // "012" in a block with lots of room
  big.append(big);
  EXPECT_EQ(narrow(big), "012012");
}

TEST(OrnWString, ReplaceRangeBuildsANewString) {
  const OrnWString s("hello world");
  OrnWString r = s.replaceRange(6, 11, OrnWString("there"));
  EXPECT_EQ(narrow(r), "hello there");
  EXPECT_GT(r.capacity, 0);
  EXPECT_EQ(narrow(s), "hello world");
  EXPECT_EQ(narrow(s.replaceRange(0, 0, OrnWString(">"))), ">hello world");
  EXPECT_EQ(narrow(s.replaceRange(11, 11, OrnWString("!"))), "hello world!");
  EXPECT_EQ(narrow(s.replaceRange(5, 6, OrnWString())), "helloworld");
  EXPECT_EQ(narrow(OrnWString().replaceRange(0, 0, OrnWString("x"))), "x");
}

TEST(OrnWString, ReplaceRangeOutsideTheTextIsClamped) {
  const OrnWString s("abcdef");
  const OrnWString x("X");
  EXPECT_EQ(narrow(s.replaceRange(-5, 2, x)), "Xcdef");
  EXPECT_EQ(narrow(s.replaceRange(4, 100, x)), "abcdX");
  EXPECT_EQ(narrow(s.replaceRange(50, 60, x)), "abcdefX");
  EXPECT_EQ(narrow(s.replaceRange(4, 2, x)), "abcdXef");  // end before start: nothing removed
  EXPECT_EQ(narrow(s.replaceRange(INT32_MIN, INT32_MAX, x)), "X");
  EXPECT_EQ(narrow(OrnWString().replaceRange(3, 7, x)), "X");
}

TEST(OrnWString, MoveLeavesTheSourceEmpty) {
  OrnWString source("moving");
  const char16_t* block = source.text;
  OrnWString target(std::move(source));
  EXPECT_EQ(target.text, block);
  expectAllZero(source);
}

TEST(OrnWString, MoveAssignmentTakesTheTextAndKeepsAuxiliaryBuffers) {
  static char16_t aux[] = u"aux";
  OrnWString target("old");
  target.aux1 = aux;
  OrnWString source("new text");
  const char16_t* block = source.text;
  target = std::move(source);
  EXPECT_EQ(target.text, block);
  EXPECT_EQ(narrow(target), "new text");
  EXPECT_EQ(target.aux1, static_cast<void*>(aux));
  EXPECT_EQ(source.text, nullptr);
  EXPECT_EQ(source.capacity, 0);
  target = std::move(target);
  EXPECT_EQ(narrow(target), "new text");
}

TEST(OrnWString, OwnershipCheck) {
  EXPECT_TRUE(wideStringIsSound(OrnWString("abc")));
  EXPECT_TRUE(wideStringIsSound(OrnWString()));
  EXPECT_TRUE(wideStringIsSound(borrowing(u"x")));
  OrnWString broken;
  broken.capacity = -2;
  EXPECT_FALSE(wideStringIsSound(broken));
  broken.capacity = 8;
  EXPECT_FALSE(wideStringIsSound(broken));  // owned without text
  char16_t unterminated[4] = {u'a', u'b', u'c', u'd'};
  broken.text = unterminated;
  EXPECT_FALSE(wideStringIsSound(broken));
  broken.text = nullptr;
  broken.capacity = 0;
  broken.aux2Capacity = 4;  // owned auxiliary buffer without a pointer
  EXPECT_FALSE(wideStringIsSound(broken));
  broken.aux2Capacity = 0;
}

}  // namespace
