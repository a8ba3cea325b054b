// Placeholder substitution: all placeholders in one pass (operations 2 to 7) and one position at
// a time (operation 1), including texts with more placeholders than are recorded.
#include <gtest/gtest.h>

#include <string>

#include "testhost/recording_services.h"
#include "translation/translator.h"

namespace {

std::string narrow(const OrnWString& s) { return narrowForTest(s.text); }

class PlaceholderTest : public testing::Test {
 protected:
  void SetUp() override {
    translator = new OrnTrivialTranslator();
    translator->addRef();
  }
  void TearDown() override { translator->release(); }

  // Operations 2 to 7 on the same text with the same leading arguments.
  void expectEveryListOperation(const char* text, const OrnWString* a, const std::string& want) {
    IOrnTranslator* t = translator;
    EXPECT_EQ(narrow(t->translate(text, a)), want);
    EXPECT_EQ(narrow(t->translate(text, a, a)), want);
    EXPECT_EQ(narrow(t->translate(text, a, a, a)), want);
    EXPECT_EQ(narrow(t->translate(text, a, a, a, a)), want);
    EXPECT_EQ(narrow(t->translate(text, a, a, a, a, a)), want);
    EXPECT_EQ(narrow(t->translate(text, a, a, a, a, a, a)), want);
  }

  OrnTrivialTranslator* translator = nullptr;
};

TEST_F(PlaceholderTest, OneArgumentFillsItsPlace) {
  const OrnWString twelve("12");
  EXPECT_EQ(narrow(translator->translate("%1 files", &twelve)), "12 files");
  EXPECT_EQ(narrow(translator->translate("%1 files", nullptr)), " files");
  const OrnWString noText;
  EXPECT_EQ(narrow(translator->translate("%1 files", &noText)), " files");
  EXPECT_EQ(narrow(translator->translate("%2 files", &twelve)), " files");  // position above count
}

TEST_F(PlaceholderTest, PlaceholdersStandInAnyOrder) {
  const OrnWString a("a"), b("b");
  EXPECT_EQ(narrow(translator->translate("%2 of %1", &a, &b)), "b of a");
  const OrnWString a1("1"), a2("2"), a3("3"), a4("4"), a5("5"), a6("6");
  EXPECT_EQ(narrow(translator->translate("<%6%5%4%3%2%1>", &a1, &a2, &a3, &a4, &a5, &a6)),
            "<654321>");
}

TEST_F(PlaceholderTest, PercentSignsThatAreNotPlaceholdersStay) {
  const OrnWString x("X");
  expectEveryListOperation("100%", &x, "100%");
  expectEveryListOperation("%%1", &x, "%%1");
  expectEveryListOperation("%%", &x, "%%");
  expectEveryListOperation("%0 %a", &x, "%0 %a");
  expectEveryListOperation("%a%1", &x, "%aX");  // scanning resumes after the unit following '%'
  expectEveryListOperation("", &x, "");
}

TEST_F(PlaceholderTest, ColonIsPositionTen) {
  OrnWString args[10];
  const OrnWString* list[10];
  for (int k = 0; k < 10; ++k) {
    args[k].assignNarrow(std::string(1, static_cast<char>('a' + k)).c_str());
    list[k] = &args[k];
  }
  OrnWString s("[%:|%9|%1]");
  substitutePlaceholders(s, list, 10);
  EXPECT_EQ(narrow(s), "[j|i|a]");
  // Operations 2 to 7 have at most six arguments: position ten is removed.
  EXPECT_EQ(narrow(translator->translate("[%:]", &args[0], &args[1])), "[]");
}

TEST_F(PlaceholderTest, RepeatedPositionIsFilledEachTime) {
  const OrnWString a("ab");
  EXPECT_EQ(narrow(translator->translate("%1-%1-%1", &a)), "ab-ab-ab");
}

TEST_F(PlaceholderTest, MoreThanTenPlaceholdersLeavesTheRestAsText) {
  const OrnWString a("long argument");
  std::string text, want;
  for (int k = 0; k < 14; ++k) {
    text += "%1.";
    want += k < 10 ? "long argument." : "%1.";
  }
  EXPECT_EQ(narrow(translator->translate(text.c_str(), &a)), want);

  const OrnWString none;
  std::string removed;
  for (int k = 0; k < 12; ++k) removed += k < 10 ? "." : "%1.";
  EXPECT_EQ(narrow(translator->translate(text.substr(0, 36).c_str(), &none)), removed);
}

TEST_F(PlaceholderTest, OnlyOwnedTextIsSubstituted) {
  const OrnWString a("A");
  const OrnWString* list[] = {&a, nullptr};
  static const char16_t literal[] = u"x%1";
  OrnWString borrowed;
  borrowed.assignText(literal, 0);
  substitutePlaceholders(borrowed, list, 1);
  EXPECT_EQ(borrowed.text, literal);
  EXPECT_EQ(borrowed.capacity, 0);

  OrnWString empty;
  substitutePlaceholders(empty, list, 1);
  EXPECT_EQ(empty.text, nullptr);
}

TEST_F(PlaceholderTest, SubstitutionKeepsAuxiliaryBuffers) {
  static char16_t auxText[] = u"aux";
  const OrnWString a("A");
  const OrnWString* list[] = {&a, nullptr};
  OrnWString s("%1!");
  s.aux1 = auxText;
  substitutePlaceholders(s, list, 1);
  EXPECT_EQ(narrow(s), "A!");
  EXPECT_EQ(s.aux1, static_cast<void*>(auxText));
  EXPECT_EQ(s.aux1Capacity, 0);
  EXPECT_GE(s.capacity, 6);
}

TEST_F(PlaceholderTest, ArgumentMayBeTheStringItself) {
  OrnWString s("<%1>");
  const OrnWString* list[] = {&s, nullptr};
  substitutePlaceholders(s, list, 1);
  EXPECT_EQ(narrow(s), "<<%1>>");
}

TEST_F(PlaceholderTest, CountedOperationReplacesInOrder) {
  const OrnWString none[1];
  EXPECT_EQ(narrow(translator->translate("x%1y", 0, none)), "x%1y");
  const OrnWString ab[] = {OrnWString("AB")};
  EXPECT_EQ(narrow(translator->translate("x%1y", 1, ab)), "xABy");
  // The argument for position 1 brings a placeholder that position 2 then fills.
  const OrnWString chained[] = {OrnWString("%2"), OrnWString("Q")};
  EXPECT_EQ(narrow(translator->translate("x%1y", 2, chained)), "xQy");
  EXPECT_EQ(narrow(translator->translate("x%1y", -3, ab)), "x%1y");
  EXPECT_EQ(narrow(translator->translate("x%1y", 1, nullptr)), "xy");
}

TEST_F(PlaceholderTest, CountedOperationMatchesOneDigitInsideTwo) {
  OrnWString args[10];
  args[0].assignNarrow("A");
  args[9].assignNarrow("TEN");
  EXPECT_EQ(narrow(translator->translate("<%10>", 10, args)), "<A0>");
  EXPECT_EQ(narrow(translator->translate("<%2>", 10, args)), "<>");
}

TEST(ReplacePlaceholder, FindsTheFirstMatchOnly) {
  const OrnWString a("A");
  OrnWString s("%1 %1 %12");
  replacePlaceholder(s, 1, &a);
  EXPECT_EQ(narrow(s), "A %1 %12");
  OrnWString twelve("%1 %12");
  replacePlaceholder(twelve, 12, &a);
  EXPECT_EQ(narrow(twelve), "%1 A");
  OrnWString big("x%100y");
  replacePlaceholder(big, 100, &a);
  EXPECT_EQ(narrow(big), "xAy");
}

TEST(ReplacePlaceholder, LeavesTextWithoutAMatchAlone) {
  const OrnWString a("A");
  OrnWString s("50% %");
  const char16_t* before = s.text;
  replacePlaceholder(s, 1, &a);
  replacePlaceholder(s, 0, &a);
  replacePlaceholder(s, -1, &a);
  EXPECT_EQ(s.text, before);
  EXPECT_EQ(narrow(s), "50% %");
  OrnWString trailing("%");
  replacePlaceholder(trailing, 1, &a);
  EXPECT_EQ(narrow(trailing), "%");
  OrnWString empty;
  replacePlaceholder(empty, 1, &a);
  EXPECT_EQ(empty.text, nullptr);
}

TEST(ReplacePlaceholder, BorrowedTextIsCopiedNotWritten) {
  static const char16_t literal[] = u"a%1b";
  const OrnWString x("x");
  OrnWString s;
  s.assignText(literal, 0);
  replacePlaceholder(s, 1, &x);
  EXPECT_EQ(narrow(s), "axb");
  EXPECT_GT(s.capacity, 0);
  EXPECT_EQ(literal[1], u'%');
  replacePlaceholder(s, 1, nullptr);
  EXPECT_EQ(narrow(s), "axb");
  OrnWString removed("a%1b");
  replacePlaceholder(removed, 1, nullptr);
  EXPECT_EQ(narrow(removed), "ab");
}

}  // namespace
