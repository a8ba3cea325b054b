// OrnHashTable<K, V>: chained hash table on prime chain counts; shared with the host (the
// enumeration's stop names) and used as the module's class registry.
#ifndef ORN_TEXT_ORN_HASH_TABLE_H_
#define ORN_TEXT_ORN_HASH_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "text/orn_string.h"
#include "text/text_check.h"

// djb2 over signed bytes (0x80..0xFF count as -128..-1), wrapping modulo 2^32; null hashes to 0.
// h = h * 33 + b for each byte; taken four bytes a step (h * 33^4 + b0 * 33^3 + ...), which gives
// the same value with a shorter chain of dependent multiplications. *length receives the number
// of bytes before the NUL (0 for null).
inline uint32_t nameHashAndLength(const char* text, size_t* length) {
  *length = 0;
  if (text == nullptr) return 0;
  uint32_t h = 5381;
  for (const signed char* p = reinterpret_cast<const signed char*>(text);; p += 4) {
    const size_t done = static_cast<size_t>(p - reinterpret_cast<const signed char*>(text));
    const uint32_t b0 = static_cast<uint32_t>(static_cast<int32_t>(p[0]));
    if (b0 == 0) {
      *length = done;
      return h;
    }
    const uint32_t b1 = static_cast<uint32_t>(static_cast<int32_t>(p[1]));
    if (b1 == 0) {
      *length = done + 1;
      return h * 33u + b0;
    }
    const uint32_t b2 = static_cast<uint32_t>(static_cast<int32_t>(p[2]));
    if (b2 == 0) {
      *length = done + 2;
      return h * 1089u + b0 * 33u + b1;
    }
    const uint32_t b3 = static_cast<uint32_t>(static_cast<int32_t>(p[3]));
    if (b3 == 0) {
      *length = done + 3;
      return h * 35937u + b0 * 1089u + b1 * 33u + b2;
    }
    h = h * 1185921u + b0 * 35937u + b1 * 1089u + b2 * 33u + b3;
  }
}

inline uint32_t nameHash(const char* text) {
  size_t length;
  return nameHashAndLength(text, &length);
}

// True when the key's text equals probe, a text of `length` bytes before its NUL (both null
// counts as equal). An owned key's capacity bounds its length, so a block too small is rejected
// without reading it, and a large enough one is compared in one memcmp inside the block.
inline bool nameEquals(const OrnString& key, const char* probe, size_t length) {
  const char* text = key.text;
  if (text == nullptr || probe == nullptr) return text == probe;
  if (text[0] != probe[0]) return false;
  if (key.capacity > 0) {
    return static_cast<size_t>(key.capacity) > length && std::memcmp(text, probe, length + 1) == 0;
  }
  return std::strcmp(text, probe) == 0;
}

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

// One entry. Layout shared with the host: {bucketIndex, key, value, next}. Made with new,
// deleted with delete by the table that holds it.
template <class K, class V>
struct OrnHashEntry {
  uint32_t bucketIndex;  // the chain the entry is on
  K key;
  V value;
  OrnHashEntry* next;  // next entry of the same chain; null at the end
};

// The 32 chain counts a table may have, ascending.
extern const uint32_t ornHashPrimes[32];

// Layout shared with the host: {buckets, bucketCount, count, one unused word}. buckets is null
// until the first insertion. The table owns its entries and its head array (new[]); clear and
// the destructor delete them. Not synchronised.
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

  // The matching entry or null; *index receives the key's chain index in every case (0 for a
  // table without chains).
  Entry* find(const K& key, uint32_t* index) const {
    if (bucketCount == 0) {
      *index = 0;
      return nullptr;
    }
    if constexpr (std::is_same<K, OrnString>::value) return findName(key.text, index);
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

  // Takes e (its bucketIndex set by find) into the table at the head of its chain; rehashes to
  // the next prime once the load reaches 0.8. A table without chains gets two first; an index
  // outside the table is recomputed from the key rather than written past the head array.
  void insert(Entry* e) {
    if (bucketCount == 0) {
      bucketCount = primeAbove(0);
      e->bucketIndex = OrnKeyTraits<K>::hash(e->key) % bucketCount;
    }
    if (buckets == nullptr) buckets = new Entry*[bucketCount]();
    if (e->bucketIndex >= bucketCount) {
      ORN_TEXT_CHECK(e->bucketIndex < bucketCount);
      e->bucketIndex = OrnKeyTraits<K>::hash(e->key) % bucketCount;
    }
    e->next = buckets[e->bucketIndex];
    buckets[e->bucketIndex] = e;
    ++count;
    if (static_cast<double>(count) >= 0.8 * static_cast<double>(bucketCount)) {
      rehash(primeAbove(bucketCount));
    }
  }

  // Moves every entry onto n chains (nothing for n 0, n equal to bucketCount, or no storage).
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
    ORN_TEXT_CHECK(isSound());
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

  // Chain/count check: every entry sits on the chain its key hashes to and says so in
  // bucketIndex, no chain loops, and the chains hold `count` entries in all.
  bool isSound() const {
    if (buckets == nullptr) return count == 0;
    if (bucketCount == 0 || count < 0) return false;
    int64_t seen = 0;
    for (uint32_t i = 0; i < bucketCount; ++i) {
      for (const Entry* e = buckets[i]; e != nullptr; e = e->next) {
        if (++seen > count) return false;
        if (e->bucketIndex != i || OrnKeyTraits<K>::hash(e->key) % bucketCount != i) return false;
      }
    }
    return seen == count;
  }

 private:
  // find for names: hashes the probe once, learning its length on the way. REQUIRES:
  // bucketCount != 0.
  Entry* findName(const char* probe, uint32_t* index) const {
    size_t length = 0;
    const uint32_t i = nameHashAndLength(probe, &length) % bucketCount;
    *index = i;
    if (buckets == nullptr) return nullptr;
    for (Entry* e = buckets[i]; e != nullptr; e = e->next) {
      if (nameEquals(e->key, probe, length)) return e;
    }
    return nullptr;
  }

  Entry* headFrom(uint32_t i) const {
    if (buckets == nullptr) return nullptr;
    for (; i < bucketCount; ++i) {
      if (buckets[i] != nullptr) return buckets[i];
    }
    return nullptr;
  }
};

namespace orn_layout {
using NameTable = OrnHashTable<OrnString, int32_t>;
static_assert(offsetof(NameTable, bucketCount) == sizeof(void*),
              "OrnHashTable layout: {buckets, bucketCount, count, word}");
static_assert(offsetof(NameTable, count) == sizeof(void*) + 4, "OrnHashTable layout");
static_assert(offsetof(NameTable, reservedWord) == sizeof(void*) + 8, "OrnHashTable layout");
static_assert(sizeof(void*) != 4 || sizeof(NameTable) == 16,
              "OrnHashTable is four 32-bit words on the 32-bit target");
}  // namespace orn_layout

#endif  // ORN_TEXT_ORN_HASH_TABLE_H_
