// OrnHashTable<K, V>: chained hash table on prime chain counts; shared with the host (the
// enumeration's stop names) and used as the module's class registry.
#ifndef ORN_TEXT_ORN_HASH_TABLE_H_
#define ORN_TEXT_ORN_HASH_TABLE_H_

#include <cstdint>
#include <cstring>

#include "text/orn_string.h"

// djb2 over signed bytes (0x80..0xFF count as -128..-1), wrapping modulo 2^32; null hashes to 0.
uint32_t nameHash(const char* text);

// Hash and match of a key type; specialised per key type.
template <class K>
struct OrnKeyTraits;

template <>
struct OrnKeyTraits<OrnString> {
  static uint32_t hash(const OrnString& key) { return nameHash(key.text); }
  // Both null, or both non-null and equal byte for byte; capacities play no part.
  static bool equals(const OrnString& a, const OrnString& b) {
    if (a.text == nullptr || b.text == nullptr) return a.text == b.text;
    return std::strcmp(a.text, b.text) == 0;
  }
};

template <class K, class V>
struct OrnHashEntry {
  uint32_t bucketIndex;
  K key;
  V value;
  OrnHashEntry* next;
};

// The 32 chain counts a table may have.
extern const uint32_t ornHashPrimes[32];

// Layout shared with the host: {buckets, bucketCount, count, one unused word}. buckets is null
// until the first insertion. Entries are made with new, the head array with new[]. Not
// synchronised.
template <class K, class V>
class OrnHashTable {
 public:
  using Entry = OrnHashEntry<K, V>;

  Entry** buckets = nullptr;
  uint32_t bucketCount;
  int32_t count = 0;
  uint32_t reservedWord = 0;

  explicit OrnHashTable(uint32_t chains = 2) : bucketCount(chains ? chains : 2) {}
  OrnHashTable(const OrnHashTable&) = delete;
  OrnHashTable& operator=(const OrnHashTable&) = delete;
  ~OrnHashTable() { clear(); }

  // The first of the first 31 primes above n; 2147483659 when none is.
  static uint32_t primeAbove(uint32_t n) {
    for (int k = 0; k < 31; ++k) {
      if (ornHashPrimes[k] > n) return ornHashPrimes[k];
    }
    return ornHashPrimes[31];
  }

  // The matching entry or null; *index receives the key's chain index in every case.
  Entry* find(const K& key, uint32_t* index) const {
    const uint32_t i = OrnKeyTraits<K>::hash(key) % bucketCount;
    *index = i;
    if (buckets == nullptr) return nullptr;
    for (Entry* e = buckets[i]; e != nullptr; e = e->next) {
      if (OrnKeyTraits<K>::equals(e->key, key)) return e;
    }
    return nullptr;
  }
  Entry* findByName(const K& key, uint32_t* index) const { return find(key, index); }

  // The value of the matching entry, or of a new zero-valued entry at the head of its chain.
  V& findOrInsert(const K& key) {
    uint32_t index = 0;
    if (Entry* e = find(key, &index)) return e->value;
    Entry* e = new Entry{index, key, V(), nullptr};
    insert(e);
    return e->value;
  }

  // Adds e (its bucketIndex set) at the head of its chain; rehashes once the load reaches 0.8.
  void insert(Entry* e) {
    if (buckets == nullptr) buckets = new Entry*[bucketCount]();
    e->next = buckets[e->bucketIndex];
    buckets[e->bucketIndex] = e;
    ++count;
    if (static_cast<double>(count) >= 0.8 * static_cast<double>(bucketCount)) {
      rehash(primeAbove(bucketCount));
    }
  }

  void rehash(uint32_t n) {
    if (n == 0 || n == bucketCount || buckets == nullptr) return;
    Entry** fresh = new Entry*[n]();
    for (uint32_t i = 0; i < bucketCount; ++i) {
      Entry* e = buckets[i];
      while (e != nullptr) {
        Entry* next = e->next;
        const uint32_t k = OrnKeyTraits<K>::hash(e->key) % n;
        e->bucketIndex = k;
        e->next = fresh[k];
        fresh[k] = e;
        e = next;
      }
    }
    delete[] buckets;
    buckets = fresh;
    bucketCount = n;
  }

  // Deletes every entry and the head array; bucketCount keeps its value.
  void clear() {
    if (buckets == nullptr) return;
    for (uint32_t i = 0; i < bucketCount; ++i) {
      Entry* e = buckets[i];
      while (e != nullptr) {
        Entry* next = e->next;
        delete e;
        e = next;
      }
    }
    delete[] buckets;
    buckets = nullptr;
    count = 0;
  }

  // The head of the lowest non-empty chain, or null.
  Entry* first() const { return headFrom(0); }
  // The entry after e in walk order (chains by index, each from its head), or null.
  Entry* after(const Entry* e) const {
    if (e->next != nullptr) return e->next;
    return headFrom(e->bucketIndex + 1);
  }

 private:
  Entry* headFrom(uint32_t i) const {
    if (buckets == nullptr) return nullptr;
    for (; i < bucketCount; ++i) {
      if (buckets[i] != nullptr) return buckets[i];
    }
    return nullptr;
  }
};

#endif  // ORN_TEXT_ORN_HASH_TABLE_H_
