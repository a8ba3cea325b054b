// Interface maps: a class declared with OrnImplements answers and enumerates exactly as the same
// class written with a hand-made chain of queryClass / queryInterfaceName calls.
#include "core/interface_map.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/interface_names.h"

namespace {

class IFirst : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "IFirst";
  virtual int first() = 0;
};

class ISecond : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "ISecond";
  virtual int second() = 0;
};

// Two interfaces through the map.
class Mapped : public OrnImplements<Mapped, IFirst, ISecond> {
 public:
  static constexpr const char* classNameText = "Mapped";
  int first() override { return 1; }
  int second() override { return 2; }
  int state = 0;
};

// The same class, written by hand.
class HandWritten : public IFirst, public ISecond {
 public:
  static constexpr const char* classNameText = "HandWritten";
  int first() override { return 1; }
  int second() override { return 2; }
  bool queryInterface(const char* name, void** out, int) override {
    return queryClass(name, out, this, classNameText, false) ||
           queryInterfaceName(name, out, static_cast<IFirst*>(this), IFirst::lookupName) ||
           queryInterfaceName(name, out, static_cast<ISecond*>(this), ISecond::lookupName);
  }
  const char* className() override { return classNameText; }
  int state = 0;
};

// A class that is not listed, as the component is, answering from a map of its own.
class Unlisted : public IFirst, public ISecond {
 public:
  static constexpr const char* classNameText = "Unlisted";
  int first() override { return 1; }
  int second() override { return 2; }
  bool queryInterface(const char* name, void** out, int) override {
    return OrnInterfaceMap<Unlisted, IFirst, ISecond>::query(this, name, out, true);
  }
  const char* className() override { return classNameText; }
};

// What one query did: its answer, and where *out points relative to the object (-1: null,
// -2: left as it was).
struct Answer {
  bool found;
  long offset;
  bool operator==(const Answer& other) const {
    return found == other.found && offset == other.offset;
  }
};

void* const untouched = reinterpret_cast<void*>(0x7);

template <class T>
Answer ask(T& object, const char* name, void* start) {
  void* out = start;
  const bool found = object.queryInterface(name, &out, 0);
  if (out == nullptr) return {found, -1};
  if (out == untouched) return {found, -2};
  return {found, static_cast<long>(static_cast<char*>(out) - reinterpret_cast<char*>(&object))};
}

// The enumeration as "C:name" for a class and "I:name/parent" for an interface; stopName, when
// given, goes into the collector's stop set first.
template <class T>
std::vector<std::string> enumerate(T& object, bool* answer, const char* stopName = nullptr,
                                   bool* stopped = nullptr) {
  OrnArray<OrnString> classNames;
  OrnArray<InterfaceNameRecord> records;
  InterfaceNameCollector collector(&classNames, &records);
  if (stopName != nullptr) collector.stopNames.findOrInsert(OrnString(stopName)) = 1;
  *answer = object.queryInterface(nullptr, reinterpret_cast<void**>(&collector), 0);
  std::vector<std::string> names;
  for (int32_t i = 1; i <= records.top; ++i) {
    const InterfaceNameRecord& r = records.at(i);
    const std::string parent = r.parent.text ? r.parent.text : "";
    names.push_back(r.isClass ? "C:" + std::string(r.name.text)
                              : "I:" + std::string(r.name.text) + "/" + parent);
  }
  if (stopped != nullptr) *stopped = collector.stopped;
  return names;
}

TEST(InterfaceMap, AnswersEveryNameAsTheHandWrittenChainDoes) {
  Mapped mapped;
  HandWritten hand;
  // The class name differs by design; every other name and start value must agree.
  for (const char* name : {"IOrnUnknown", "IFirst", "ISecond", "ifirst", "IFirst ", "", "Other"}) {
    for (void* start : {static_cast<void*>(nullptr), untouched}) {
      EXPECT_EQ(ask(mapped, name, start), ask(hand, name, start)) << name;
    }
  }
  EXPECT_EQ(ask(mapped, "Mapped", untouched), ask(hand, "HandWritten", untouched));
  EXPECT_EQ(ask(mapped, "HandWritten", nullptr), (Answer{false, -1}));
  // No place for a view: false, nothing written.
  EXPECT_FALSE(mapped.queryInterface("IFirst", nullptr, 0));
}

TEST(InterfaceMap, EachNameGivesItsOwnViewAndAllShareOneCount) {
  Mapped mapped;
  void* asClass = nullptr;
  void* first = nullptr;
  void* second = nullptr;
  void* unknownFromFirst = nullptr;
  void* unknownFromSecond = nullptr;
  ASSERT_TRUE(mapped.queryInterface("Mapped", &asClass, 0));
  ASSERT_TRUE(mapped.queryInterface("IFirst", &first, 0));
  ASSERT_TRUE(mapped.queryInterface("ISecond", &second, 0));
  EXPECT_EQ(asClass, static_cast<void*>(&mapped));
  EXPECT_EQ(first, static_cast<void*>(static_cast<IFirst*>(&mapped)));
  EXPECT_EQ(second, static_cast<void*>(static_cast<ISecond*>(&mapped)));
  EXPECT_NE(first, second);
  EXPECT_EQ(static_cast<ISecond*>(second)->second(), 2);
  ASSERT_TRUE(static_cast<IFirst*>(first)->queryInterface("IOrnUnknown", &unknownFromFirst, 0));
  ASSERT_TRUE(static_cast<ISecond*>(second)->queryInterface("IOrnUnknown", &unknownFromSecond, 0));
  EXPECT_EQ(unknownFromFirst, unknownFromSecond);
  EXPECT_EQ(unknownFromFirst, static_cast<void*>(static_cast<IOrnUnknown*>(&mapped)));
  static_cast<IFirst*>(first)->addRef();
  static_cast<ISecond*>(second)->addRef();
  EXPECT_EQ(mapped.refCount(), 2);
  EXPECT_STREQ(mapped.className(), "Mapped");
}

TEST(InterfaceMap, EnumeratesTheClassThenEachInterfaceInOrder) {
  Mapped mapped;
  HandWritten hand;
  bool mappedAnswer = true;
  bool handAnswer = true;
  EXPECT_EQ(enumerate(mapped, &mappedAnswer),
            (std::vector<std::string>{"C:Mapped", "I:IFirst/Mapped", "I:ISecond/Mapped"}));
  EXPECT_FALSE(mappedAnswer);
  EXPECT_EQ(
      enumerate(hand, &handAnswer),
      (std::vector<std::string>{"C:HandWritten", "I:IFirst/HandWritten", "I:ISecond/HandWritten"}));
  EXPECT_FALSE(handAnswer);
}

TEST(InterfaceMap, AStopNameEndsTheEnumerationAsItDoesByHand) {
  Mapped mapped;
  bool answer = true;
  bool stopped = false;
  EXPECT_TRUE(enumerate(mapped, &answer, "IFirst", &stopped).empty());
  EXPECT_TRUE(stopped);
  EXPECT_FALSE(answer);
}

TEST(InterfaceMap, AnUnlistedClassReportsNothingButStillAnswersByName) {
  Unlisted unlisted;
  bool answer = false;
  EXPECT_TRUE(enumerate(unlisted, &answer).empty());
  EXPECT_TRUE(answer);
  void* view = nullptr;
  EXPECT_TRUE(unlisted.queryInterface("ISecond", &view, 0));
  EXPECT_EQ(view, static_cast<void*>(static_cast<ISecond*>(&unlisted)));
  EXPECT_TRUE(unlisted.queryInterface("Unlisted", &view, 0));
  EXPECT_EQ(view, static_cast<void*>(&unlisted));
}

TEST(InterfaceMap, AddsNothingToTheObjectsLayout) {
  Mapped mapped;
  HandWritten hand;
  EXPECT_EQ(sizeof(Mapped), sizeof(HandWritten));
  const auto at = [](auto& object, void* part) {
    return static_cast<char*>(part) - reinterpret_cast<char*>(&object);
  };
  EXPECT_EQ(at(mapped, static_cast<ISecond*>(&mapped)), at(hand, static_cast<ISecond*>(&hand)));
  EXPECT_EQ(at(mapped, static_cast<IOrnUnknown*>(&mapped)),
            at(hand, static_cast<IOrnUnknown*>(&hand)));
  EXPECT_EQ(at(mapped, &mapped.state), at(hand, &hand.state));
}

}  // namespace
