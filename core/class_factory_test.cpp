// The class registry: registration, lookup, creation and the walk.
#include "core/class_factory.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

struct Widget : public IOrnUnknown {
  static constexpr const char* classNameText = "Widget";
  bool queryInterface(const char* name, void** out, int) override {
    return queryClass(name, out, this, classNameText, false);
  }
  const char* className() override { return classNameText; }
};

struct Gadget : public Widget {
  static constexpr const char* classNameText = "Gadget";
  const char* className() override { return classNameText; }
};

OrnID idWith(uint32_t data1, uint8_t last) {
  return OrnID(data1, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, last});
}

TEST(ClassFactory, EmptyRegistryHasNoClasses) {
  OrnDefaultClassFactory* factory = defaultClassFactory();
  EXPECT_EQ(factory, defaultClassFactory()) << "built once";
  EXPECT_EQ(classRegistry().bucketCount, 131u);
  EXPECT_EQ(factory->classCount(), 0);
  OrnID id = idWith(7, 7);
  EXPECT_FALSE(factory->firstClass(id));
  EXPECT_TRUE(id.equals(idWith(7, 7))) << "left unchanged";
  EXPECT_FALSE(factory->nextClass(id)) << "no walk started";
}

TEST(ClassFactory, RegisteringAnIdentifierAgainReplacesTheFactory) {
  OrnTClassItemFactory<Widget> first(idWith(1, 1), "Widget");
  OrnTClassItemFactory<Gadget> second(idWith(1, 1), "Gadget");
  EXPECT_EQ(defaultClassFactory()->classCount(), 1);
  EXPECT_STREQ(defaultClassFactory()->classNameOf(idWith(1, 1)), "Gadget");
}

TEST(ClassFactory, IdentifiersDifferingOnlyInData4ShareAChainButAreTold) {
  OrnTClassItemFactory<Widget> a(idWith(5, 1), "Widget");
  OrnTClassItemFactory<Gadget> b(idWith(5, 2), "Gadget");
  uint32_t ia = 0;
  uint32_t ib = 0;
  classRegistry().find(idWith(5, 1), &ia);
  classRegistry().find(idWith(5, 2), &ib);
  EXPECT_EQ(ia, ib);
  EXPECT_STREQ(defaultClassFactory()->classNameOf(idWith(5, 1)), "Widget");
  EXPECT_STREQ(defaultClassFactory()->classNameOf(idWith(5, 2)), "Gadget");
}

TEST(ClassFactory, CreateInstanceGivesAFreshObjectAtCountZero) {
  OrnTClassItemFactory<Gadget> item(idWith(9, 9), "Gadget");
  IOrnUnknown* out = nullptr;
  EXPECT_EQ(defaultClassFactory()->createInstance(idWith(9, 9), &out), 1);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(out->refCount(), 0);
  EXPECT_STREQ(out->className(), "Gadget");
  IOrnUnknown* other = nullptr;
  defaultClassFactory()->createInstance(idWith(9, 9), &other);
  EXPECT_NE(out, other);
  delete out;
  delete other;
}

// An item factory whose allocation yielded nothing: the status it leaves says 1, but the caller
// must not be told the creation succeeded.
struct EmptyHandedItemFactory : public OrnItemFactory {
  using OrnItemFactory::OrnItemFactory;
  IOrnUnknown* create(int* status) override {
    *status = 1;
    return nullptr;
  }
};

TEST(ClassFactory, CreateInstanceWithoutAnObjectIsAFailure) {
  EmptyHandedItemFactory item(idWith(11, 11), "Nothing");
  IOrnUnknown* out = reinterpret_cast<IOrnUnknown*>(0x1);
  EXPECT_EQ(defaultClassFactory()->createInstance(idWith(11, 11), &out), 0);
  EXPECT_EQ(out, nullptr);
  OrnTClassItemFactory<Widget> widget(idWith(12, 12), "Widget");
  EXPECT_EQ(defaultClassFactory()->createInstance(idWith(12, 12), nullptr), 0)
      << "no place to put the object: nothing is made";
}

TEST(ClassFactory, WalkVisitsEveryClassOnceAndRestarts) {
  const int k = 40;
  std::vector<std::unique_ptr<OrnTClassItemFactory<Widget>>> items;
  for (int i = 0; i < k; ++i) {
    items.emplace_back(new OrnTClassItemFactory<Widget>(idWith(1000 + 37 * i, 0), "Widget"));
  }
  OrnDefaultClassFactory* factory = defaultClassFactory();
  std::set<uint32_t> seen;
  OrnID id;
  ASSERT_TRUE(factory->firstClass(id));
  seen.insert(id.data1);
  int nexts = 0;
  while (factory->nextClass(id)) {
    ++nexts;
    EXPECT_TRUE(seen.insert(id.data1).second) << "visited twice: " << id.data1;
  }
  EXPECT_EQ(nexts, k - 1);
  EXPECT_EQ(seen.size(), static_cast<size_t>(k));
  EXPECT_FALSE(factory->nextClass(id)) << "stays at the end";
  // A new walk in the middle of one starts over.
  OrnID first;
  factory->firstClass(first);
  factory->nextClass(id);
  OrnID again;
  factory->firstClass(again);
  EXPECT_TRUE(again.equals(first));
}

TEST(ClassFactory, WalkOrderFollowsChainIndexNotRegistration) {
  OrnTClassItemFactory<Widget> high(idWith(130, 0), "Widget");  // chain 130 of 131
  OrnTClassItemFactory<Widget> low(idWith(3, 0), "Widget");     // chain 3
  OrnID id;
  ASSERT_TRUE(defaultClassFactory()->firstClass(id));
  EXPECT_EQ(id.data1, 3u);
  ASSERT_TRUE(defaultClassFactory()->nextClass(id));
  EXPECT_EQ(id.data1, 130u);
}

TEST(ClassFactory, RegistryRehashesAtThe105thRegistration) {
  std::vector<std::unique_ptr<OrnTClassItemFactory<Widget>>> items;
  for (int i = 0; i < 104; ++i) {
    items.emplace_back(new OrnTClassItemFactory<Widget>(idWith(i, 0), "Widget"));
  }
  EXPECT_EQ(classRegistry().bucketCount, 131u);
  items.emplace_back(new OrnTClassItemFactory<Widget>(idWith(104, 0), "Widget"));
  EXPECT_EQ(classRegistry().bucketCount, 257u);
  EXPECT_EQ(defaultClassFactory()->classCount(), 105);
  for (int i = 0; i < 105; ++i) {
    EXPECT_STREQ(defaultClassFactory()->classNameOf(idWith(i, 0)), "Widget") << i;
  }
}

TEST(OrnIdText, RoundTripsAndRejectsMalformedText) {
  const OrnID id(0x6B29FC40, 0xCA47, 0x1067, {0xB3, 0x1D, 0x00, 0xDD, 0x01, 0x06, 0x62, 0xDA});
  EXPECT_EQ(id.toString(), "{6B29FC40-CA47-1067-B31D-00DD010662DA}");
  OrnID parsed;
  ASSERT_TRUE(OrnID::parse(id.toString().c_str(), &parsed));
  EXPECT_TRUE(parsed.equals(id));
  ASSERT_TRUE(OrnID::parse("6b29fc40-ca47-1067-b31d-00dd010662da", &parsed));
  EXPECT_TRUE(parsed.equals(id));
  for (const char* bad :
       {"", "{6B29FC40-CA47-1067-B31D-00DD010662DA", "6B29FC40CA471067B31D00DD010662DA",
        "{6B29FC40-CA47-1067-B31D-00DD010662DAX}", "{6B29FC4G-CA47-1067-B31D-00DD010662DA}"}) {
    EXPECT_FALSE(OrnID::parse(bad, &parsed)) << bad;
  }
  EXPECT_FALSE(OrnID::parse(nullptr, &parsed));
}

}  // namespace
