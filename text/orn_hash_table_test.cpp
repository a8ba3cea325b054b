// OrnHashTable: prime chain counts, the signed-byte name hash, growth at load 0.8, clearing and
// walking.
#include "text/orn_hash_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// A key whose hash is its own value, so that tests can choose chains.
struct NumberKey {
  uint32_t value;
};

}  // namespace

template <>
struct OrnKeyTraits<NumberKey> {
  static uint32_t hash(const NumberKey& key) { return key.value; }
  static bool equals(const NumberKey& a, const NumberKey& b) { return a.value == b.value; }
};

namespace {

using NameTable = OrnHashTable<OrnString, int32_t>;
using NumberTable = OrnHashTable<NumberKey, int32_t>;

TEST(OrnHashTable, PrimeAbove) {
  EXPECT_EQ(NameTable::primeAbove(0), 2u);
  EXPECT_EQ(NameTable::primeAbove(2), 3u);
  EXPECT_EQ(NameTable::primeAbove(99), 131u);
  EXPECT_EQ(NameTable::primeAbove(131), 257u);
  EXPECT_EQ(NameTable::primeAbove(1073741826u), 1073741827u);
  EXPECT_EQ(NameTable::primeAbove(1073741827u), 2147483659u);
  EXPECT_EQ(NameTable::primeAbove(2147483659u), 2147483659u);
  EXPECT_EQ(NameTable::primeAbove(0xFFFFFFFFu), 2147483659u);
}

TEST(OrnHashTable, NameHashTakesBytesAsSigned) {
  EXPECT_EQ(nameHash(nullptr), 0u);
  EXPECT_EQ(nameHash(""), 5381u);
  EXPECT_EQ(nameHash("abc"), 193485963u);
  EXPECT_EQ(nameHash("\xE9"), 177550u);
  // Wraps modulo 2^32 over a long text.
  uint32_t h = 5381;
  std::string text(200, 'z');
  for (char c : text) h = h * 33u + static_cast<uint32_t>(c);
  EXPECT_EQ(nameHash(text.c_str()), h);
}

TEST(OrnHashTable, NameHashFoldedAWordAtATimeEqualsByteByByte) {
  std::string text;
  for (int k = 0; k < 40; ++k) {
    uint32_t h = 5381;
    for (char c : text)
      h = h * 33u + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c)));
    size_t length = 99;
    EXPECT_EQ(nameHashAndLength(text.c_str(), &length), h) << "length " << k;
    EXPECT_EQ(length, text.size());
    text += static_cast<char>(k % 2 ? 0x80 + k * 3 : 'a' + k);
  }
}

TEST(OrnHashTable, NameComparisonStaysInsideTheKeysBlock) {
  OrnString shortInBigBlock("ab..............");  // "ab" in a 20-byte block
  shortInBigBlock.text[2] = 0;
  EXPECT_TRUE(nameEquals(shortInBigBlock, "ab", 2));
  EXPECT_FALSE(nameEquals(shortInBigBlock, "ab.", 3));
  EXPECT_FALSE(nameEquals(shortInBigBlock, "abcdefghijklmnopqrstuvwxyz", 26));  // block too small
  OrnString exact("abc");                                                       // capacity 4
  EXPECT_TRUE(nameEquals(exact, "abc", 3));
  EXPECT_FALSE(nameEquals(exact, "abcd", 4));
  EXPECT_FALSE(nameEquals(exact, "abd", 3));
  EXPECT_FALSE(nameEquals(exact, "xbc", 3));
  const OrnString borrowed = OrnString::borrowing("xyz");
  EXPECT_TRUE(nameEquals(borrowed, "xyz", 3));
  EXPECT_FALSE(nameEquals(borrowed, "xyzz", 4));
  EXPECT_FALSE(nameEquals(borrowed, "xy", 2));
  EXPECT_TRUE(nameEquals(OrnString(), nullptr, 0));
  EXPECT_FALSE(nameEquals(OrnString(), "", 0));
  EXPECT_FALSE(nameEquals(borrowed, nullptr, 0));

  NameTable table(131);
  table.findOrInsert(shortInBigBlock);
  table.findOrInsert(borrowed);
  uint32_t index = 0;
  EXPECT_NE(table.findByName(OrnString::borrowing("ab"), &index), nullptr);
  EXPECT_NE(table.findByName(OrnString::borrowing("xyz"), &index), nullptr);
  EXPECT_EQ(table.findByName(OrnString::borrowing("ab."), &index), nullptr);
}

TEST(OrnHashTable, ChainOfEqualsTheRemainderForEveryCount) {
  std::vector<uint32_t> counts(std::begin(ornHashPrimes), std::end(ornHashPrimes));
  for (uint32_t other : {1u, 4u, 7u, 100u, 130u, 132u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    counts.push_back(other);  // counts a caller chose: not in the prime list
  }
  uint32_t random = 12345;
  for (uint32_t n : counts) {
    for (uint32_t h :
         {0u, 1u, n - 1, n, n + 1, 2 * n - 1, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu}) {
      ASSERT_EQ(ornChainOf(h, n), h % n) << h << " % " << n;
    }
    for (int k = 0; k < 2000; ++k) {
      random = random * 1664525u + 1013904223u;
      ASSERT_EQ(ornChainOf(random, n), random % n) << random << " % " << n;
    }
  }
}

// Names of every length up to past the inline word compare, against keys in blocks of exactly
// their size: equal, one byte off anywhere, a prefix, one byte longer.
TEST(OrnHashTable, NameComparisonFindsEveryDifferenceAtEveryLength) {
  for (size_t length = 0; length <= 40; ++length) {
    std::string name;
    for (size_t i = 0; i < length; ++i) name += static_cast<char>('A' + i % 26);
    const OrnString key(name.c_str());
    ASSERT_GE(static_cast<size_t>(key.capacity), length + 1);
    EXPECT_TRUE(nameEquals(key, name.c_str(), length)) << length;
    for (size_t i = 0; i < length; ++i) {
      std::string other = name;
      other[i] = static_cast<char>(other[i] ^ 0x20);
      EXPECT_FALSE(nameEquals(key, other.c_str(), length)) << length << " at " << i;
    }
    const std::string longer = name + "x";
    EXPECT_FALSE(nameEquals(key, longer.c_str(), length + 1)) << length;
    if (length > 0) {
      const std::string prefix = name.substr(0, length - 1);
      EXPECT_FALSE(nameEquals(key, prefix.c_str(), length - 1)) << length;
    }
  }
}

TEST(OrnHashTable, FindWithoutStorageStillReportsTheChain) {
  NameTable table(131);
  uint32_t index = 999;
  EXPECT_EQ(table.findByName(OrnString::borrowing("abc"), &index), nullptr);
  EXPECT_EQ(index, 193485963u % 131u);
  EXPECT_EQ(table.buckets, nullptr);
}

TEST(OrnHashTable, NamesMatchExactlyAndNullOnlyMatchesNull) {
  NameTable table(131);
  table.findOrInsert(OrnString::borrowing("IOrnComponent")) = 1;
  table.findOrInsert(OrnString()) = 2;
  uint32_t index = 0;
  EXPECT_EQ(table.findByName(OrnString::borrowing("iorncomponent"), &index), nullptr);
  EXPECT_EQ(table.findByName(OrnString::borrowing("IOrnComponen"), &index), nullptr);
  OrnString ownedKey("IOrnComponent");  // capacities play no part
  auto* found = table.findByName(ownedKey, &index);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->value, 1);
  EXPECT_EQ(found->bucketIndex, index);
  auto* nullEntry = table.findByName(OrnString(), &index);
  ASSERT_NE(nullEntry, nullptr);
  EXPECT_EQ(nullEntry->value, 2);
  EXPECT_EQ(index, 0u);  // a null text hashes to 0
  EXPECT_EQ(table.findByName(OrnString::borrowing(""), &index), nullptr);
}

TEST(OrnHashTable, FindOrInsertAddsOnceWithAZeroValueAndACopiedKey) {
  NameTable table(131);
  int32_t& value = table.findOrInsert(OrnString("key"));  // the argument dies here
  EXPECT_EQ(value, 0);
  value = 42;
  EXPECT_EQ(table.findOrInsert(OrnString::borrowing("key")), 42);
  EXPECT_EQ(table.count, 1);
  uint32_t index = 0;
  auto* entry = table.findByName(OrnString::borrowing("key"), &index);
  ASSERT_NE(entry, nullptr);
  EXPECT_STREQ(entry->key.text, "key");
  EXPECT_GT(entry->key.capacity, 0);
  EXPECT_TRUE(table.isSound());
}

TEST(OrnHashTable, RehashesAtTheHundredAndFifthInsert) {
  NameTable table(NameTable::primeAbove(99));
  ASSERT_EQ(table.bucketCount, 131u);
  std::vector<std::string> keys;
  for (int k = 1; k <= 105; ++k) keys.push_back("class-" + std::to_string(k));
  for (int k = 0; k < 104; ++k) table.findOrInsert(OrnString(keys[k].c_str())) = k;
  EXPECT_EQ(table.bucketCount, 131u);
  EXPECT_EQ(table.count, 104);
  table.findOrInsert(OrnString(keys[104].c_str())) = 104;
  EXPECT_EQ(table.bucketCount, 257u);
  EXPECT_EQ(table.count, 105);
  EXPECT_TRUE(table.isSound());
  for (int k = 0; k < 105; ++k) {
    uint32_t index = 0;
    auto* entry = table.findByName(OrnString::borrowing(keys[k].c_str()), &index);
    ASSERT_NE(entry, nullptr) << keys[k];
    EXPECT_EQ(entry->value, k);
    EXPECT_EQ(entry->bucketIndex, nameHash(keys[k].c_str()) % 257u);
  }
}

TEST(OrnHashTable, RehashReversesEntriesThatStayTogether) {
  NumberTable table(131);
  const uint32_t together = 1 + 131u * 257u;  // chain 1 with 131 and with 257 chains
  table.findOrInsert(NumberKey{1}) = 10;
  table.findOrInsert(NumberKey{together}) = 20;
  ASSERT_EQ(table.buckets[1]->value, 20);  // the later entry heads the chain
  table.rehash(257);
  EXPECT_EQ(table.bucketCount, 257u);
  ASSERT_NE(table.buckets[1], nullptr);
  EXPECT_EQ(table.buckets[1]->value, 10);
  EXPECT_EQ(table.buckets[1]->next->value, 20);
  table.rehash(257);  // same count: nothing happens
  table.rehash(0);
  EXPECT_EQ(table.bucketCount, 257u);
  EXPECT_TRUE(table.isSound());

  NumberTable empty(131);
  empty.rehash(257);  // no storage: nothing happens
  EXPECT_EQ(empty.bucketCount, 131u);
}

TEST(OrnHashTable, ClearKeepsTheGrownChainCount) {
  NameTable table(2);
  for (int k = 0; k < 20; ++k) table.findOrInsert(OrnString(std::to_string(k).c_str()));
  const uint32_t grown = table.bucketCount;
  EXPECT_GT(grown, 20u);
  table.clear();
  EXPECT_EQ(table.buckets, nullptr);
  EXPECT_EQ(table.count, 0);
  EXPECT_EQ(table.bucketCount, grown);
  table.clear();  // a second clear does nothing
  table.findOrInsert(OrnString::borrowing("again"));
  ASSERT_NE(table.buckets, nullptr);
  EXPECT_EQ(table.bucketCount, grown);
  EXPECT_EQ(table.count, 1);
}

TEST(OrnHashTable, WalkVisitsEveryEntryOnceInChainOrder) {
  NumberTable table(131);
  const std::vector<uint32_t> keys = {5, 3, 5 + 131, 130, 0, 3 + 262};
  for (uint32_t key : keys) table.findOrInsert(NumberKey{key}) = static_cast<int32_t>(key);
  std::vector<uint32_t> walked;
  for (auto* e = table.first(); e != nullptr; e = table.after(e)) walked.push_back(e->key.value);
  EXPECT_EQ(walked, (std::vector<uint32_t>{0, 3 + 262, 3, 5 + 131, 5, 130}));
  std::vector<uint32_t> again;
  for (auto* e = table.first(); e != nullptr; e = table.after(e)) again.push_back(e->key.value);
  EXPECT_EQ(again, walked);

  NumberTable empty(131);
  EXPECT_EQ(empty.first(), nullptr);
}

TEST(OrnHashTable, TableWithoutChainsIsServedSafely) {
  NameTable table(131);
  table.bucketCount = 0;  // as a careless host might leave it
  uint32_t index = 7;
  EXPECT_EQ(table.findByName(OrnString::borrowing("x"), &index), nullptr);
  EXPECT_EQ(index, 0u);
  table.findOrInsert(OrnString::borrowing("x")) = 1;
  EXPECT_EQ(table.bucketCount, 2u);
  EXPECT_EQ(table.findOrInsert(OrnString::borrowing("x")), 1);
  EXPECT_TRUE(table.isSound());
}

TEST(OrnHashTable, ChainCheckFindsMisfiledEntriesAndWrongCounts) {
  NumberTable table(131);
  for (uint32_t k = 0; k < 50; ++k) table.findOrInsert(NumberKey{k});
  EXPECT_TRUE(table.isSound());
  table.count = 49;
  EXPECT_FALSE(table.isSound());
  table.count = 50;
  table.buckets[7]->bucketIndex = 8;
  EXPECT_FALSE(table.isSound());
  table.buckets[7]->bucketIndex = 7;
  table.buckets[7]->key.value = 8;  // on chain 7 but hashes to chain 8
  EXPECT_FALSE(table.isSound());
  table.buckets[7]->key.value = 7;
  EXPECT_TRUE(table.isSound());
}

}  // namespace
