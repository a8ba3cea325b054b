// OrnHashTable<K, V>: chained hash table on prime chain counts; shared with the host (the
// enumeration's stop names) and used as the module's class registry.
#ifndef ORN_TEXT_ORN_HASH_TABLE_H_
#define ORN_TEXT_ORN_HASH_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "platform/config.h"
#include "text/orn_string.h"
#include "text/text_check.h"

// 33^k modulo 2^32, k = 0..8.
inline constexpr struct OrnPowersOf33 {
  uint32_t value[9];
  constexpr OrnPowersOf33() : value{} {
    uint32_t p = 1;
    for (uint32_t& v : value) {
      v = p;
      p *= 33u;
    }
  }
  constexpr uint32_t operator[](int k) const { return value[k]; }
} ornPow33{};

// h * 33^N + b[0] * 33^(N-1) + ... + b[N-1]: N more bytes folded into h at once.
template <int N>
inline uint32_t ornFoldBytes(uint32_t h, const uint32_t* b) {
  uint32_t r = h * ornPow33[N];
  for (int i = 0; i < N; ++i) r += b[i] * ornPow33[N - 1 - i];
  return r;
}

// djb2 over signed bytes (0x80..0xFF count as -128..-1), wrapping modulo 2^32; null hashes to 0.
// h = h * 33 + b for each byte; taken eight bytes a step (h * 33^8 + b0 * 33^7 + ...), which
// gives the same value with a shorter chain of dependent multiplications. Every byte is read
// only once the one before it was found non-NUL. *length receives the number of bytes before the
// NUL (0 for null).
inline uint32_t nameHashAndLength(const char* text, size_t* length) {
  *length = 0;
  if (text == nullptr) return 0;
  uint32_t h = 5381;
  const signed char* const s = reinterpret_cast<const signed char*>(text);
  for (size_t done = 0;; done += 8) {
    const signed char* p = s + done;
    uint32_t b[8];
    // clang-format off
    if ((b[0] = static_cast<uint32_t>(int32_t{p[0]})) == 0) { *length = done;     return h; }
    if ((b[1] = static_cast<uint32_t>(int32_t{p[1]})) == 0) { *length = done + 1; return ornFoldBytes<1>(h, b); }
    if ((b[2] = static_cast<uint32_t>(int32_t{p[2]})) == 0) { *length = done + 2; return ornFoldBytes<2>(h, b); }
    if ((b[3] = static_cast<uint32_t>(int32_t{p[3]})) == 0) { *length = done + 3; return ornFoldBytes<3>(h, b); }
    if ((b[4] = static_cast<uint32_t>(int32_t{p[4]})) == 0) { *length = done + 4; return ornFoldBytes<4>(h, b); }
    if ((b[5] = static_cast<uint32_t>(int32_t{p[5]})) == 0) { *length = done + 5; return ornFoldBytes<5>(h, b); }
    if ((b[6] = static_cast<uint32_t>(int32_t{p[6]})) == 0) { *length = done + 6; return ornFoldBytes<6>(h, b); }
    if ((b[7] = static_cast<uint32_t>(int32_t{p[7]})) == 0) { *length = done + 7; return ornFoldBytes<7>(h, b); }
    // clang-format on
    h = ornFoldBytes<8>(h, b);
  }
}

inline uint32_t nameHash(const char* text) {
  size_t length;
  return nameHashAndLength(text, &length);
}

// The n bytes at a and b are equal. Runs of up to 32 bytes (every usual name) are compared a
// word at a time inline, the last word overlapping the one before, instead of through a call.
inline bool ornBytesEqual(const char* a, const char* b, size_t n) {
  if (n > 32) return std::memcmp(a, b, n) == 0;
  if (n >= 8) {
    uint64_t x, y;
    for (size_t i = 0; i + 8 < n; i += 8) {
      std::memcpy(&x, a + i, 8);
      std::memcpy(&y, b + i, 8);
      if (x != y) return false;
    }
    std::memcpy(&x, a + n - 8, 8);
    std::memcpy(&y, b + n - 8, 8);
    return x == y;
  }
  if (n >= 4) {
    uint32_t x, y, u, v;
    std::memcpy(&x, a, 4);
    std::memcpy(&y, b, 4);
    std::memcpy(&u, a + n - 4, 4);
    std::memcpy(&v, b + n - 4, 4);
    return ((x ^ y) | (u ^ v)) == 0;
  }
  for (size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

// True when the key's text equals probe, a text of `length` bytes before its NUL (both null
// counts as equal). An owned key's capacity bounds its length, so a block too small is rejected
// without reading it, and a large enough one is compared inside the block, NUL included (the
// word compare may read block bytes past a shorter key's NUL: inside the block, and a mismatch
// either way).
inline bool nameEquals(const OrnString& key, const char* probe, size_t length) {
  const char* text = key.text;
  if (text == nullptr || probe == nullptr) return text == probe;
  if (key.capacity > 0) {
    return static_cast<size_t>(key.capacity) > length && ornBytesEqual(text, probe, length + 1);
  }
  return text[0] == probe[0] && std::strcmp(text, probe) == 0;
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
inline constexpr uint32_t ornHashPrimes[32] = {
    2u,        3u,        5u,        11u,        17u,        37u,        67u,         131u,
    257u,      521u,      1031u,     2053u,      4099u,      8209u,      16411u,      32771u,
    65537u,    131101u,   262147u,   524309u,    1048583u,   2097169u,   4194319u,    8388617u,
    16777259u, 33554467u, 67108879u, 134217757u, 268435459u, 536870923u, 1073741827u, 2147483659u};

#if defined(__SIZEOF_INT128__)
// A chain count with its 64-bit inverse, ceil(2^64 / count): h % count is then two multiplies,
// exact for every 32-bit h and count (Lemire's "fastmod").
struct OrnChainDivisor {
  uint64_t inverse;
  uint32_t count;
};

// From 3 on, ornHashPrimes holds one prime per bit length, so the bit length of a table's chain
// count finds the only prime it can be; 2 (sharing its length with 3) and counts a caller chose
// find another count there and divide.
inline constexpr struct OrnChainDivisors {
  OrnChainDivisor byBitLength[33];
  constexpr OrnChainDivisors() : byBitLength{} {
    for (uint32_t p : ornHashPrimes) {
      uint32_t bits = 0;
      for (uint32_t v = p; v != 0; v >>= 1) ++bits;
      byBitLength[bits] = OrnChainDivisor{~uint64_t{0} / p + 1, p};
    }
  }
} ornChainDivisors{};
#endif

// The chain of hash h on a table of n chains (n != 0): h % n, with a multiply instead of the
// division for the chain counts rehash uses.
inline uint32_t ornChainOf(uint32_t h, uint32_t n) {
#if defined(__SIZEOF_INT128__)
  const OrnChainDivisor& d = ornChainDivisors.byBitLength[bitLength(n)];
  if (d.count == n) {
    __extension__ using Wide = unsigned __int128;
    return static_cast<uint32_t>((static_cast<Wide>(d.inverse * h) * n) >> 64);
  }
#endif
  return h % n;
}

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
    const uint32_t i = ornChainOf(OrnKeyTraits<K>::hash(key), bucketCount);
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
    const uint32_t i = ornChainOf(nameHashAndLength(probe, &length), bucketCount);
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
