// OrnArray<T>: growable array with a top index, shared with the host (the enumeration arrays).
#ifndef ORN_TEXT_ORN_ARRAY_H_
#define ORN_TEXT_ORN_ARRAY_H_

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

#include "memory/out_of_memory.h"
#include "memory/ubrrealloc.h"
#include "platform/heap.h"
#include "text/text_check.h"

// Plain elements (pointers, PoolEntry, ...) live in raw storage from ubrMalloc/ubrRealloc, zero
// filled, freed with free. Object elements (OrnString, InterfaceNameRecord) live in an array made
// with new[], every slot default-constructed. The policy follows from the element type.
template <class T>
struct OrnArrayIsPlain : std::integral_constant<bool, std::is_trivially_copyable<T>::value> {};

// Layout shared with the host: {capacity, data, top}. Elements occupy indices 1..top; slot 0 is
// never written by push. Emptying is the owner setting top to 0. The array owns its storage and
// frees it when destroyed. Not synchronised.
template <class T>
class OrnArray {
 public:
  int32_t capacity = 0;
  T* data = nullptr;
  int32_t top = 0;

  OrnArray() = default;
  // Storage for exactly `initialCapacity` slots up front (zero-filled for plain elements).
  explicit OrnArray(int32_t initialCapacity) {
    if (initialCapacity > 0) growTo(initialCapacity, initialCapacity, OrnArrayIsPlain<T>());
  }
  OrnArray(const OrnArray&) = delete;
  OrnArray& operator=(const OrnArray&) = delete;
  ~OrnArray() { releaseStorage(OrnArrayIsPlain<T>()); }

  // The slot at index i (i >= 0), growing the array first when i is not below capacity. A
  // negative index (a top that came in broken, from a host's record) is reported and taken as
  // slot 0: nothing is ever written before the storage.
  T& at(int32_t i) {
    ORN_TEXT_CHECK(i >= 0);
    if (i < 0) i = 0;
    if (i >= capacity) grow(i);
    return data[i];
  }
  // top += 1, then the new top slot is assigned from value. value may be an element of this
  // very array: it is copied before the storage moves.
  void push(const T& value) {
    if (top == INT32_MAX) failTooLarge(OrnArrayIsPlain<T>());  // no index left above top
    if (top + 1 >= capacity && holds(&value)) {
      const T copy(value);
      ++top;
      at(top) = copy;
      return;
    }
    ++top;
    at(top) = value;
  }
  // REQUIRES: top != 0.
  T& topElement() { return at(top); }

  // Grows so that index i exists: to max(capacity, 1) doubled until it holds i + 1 slots. An
  // index that no 32-bit count can hold fails as an allocation that cannot be served.
  void grow(int32_t i) {
    if (i < 0 || i < capacity) return;
    if (i == INT32_MAX) failTooLarge(OrnArrayIsPlain<T>());
    const int32_t needed = i + 1;
    int32_t wanted = capacity > 0 ? capacity : 1;
    while (wanted < needed) wanted = wanted > INT32_MAX / 2 ? needed : wanted * 2;
    growTo(needed, wanted, OrnArrayIsPlain<T>());
  }

 private:
  bool holds(const T* p) const {
    const uintptr_t address = reinterpret_cast<uintptr_t>(p);
    const uintptr_t begin = reinterpret_cast<uintptr_t>(data);
    return data != nullptr && address >= begin &&
           address < begin + sizeof(T) * static_cast<size_t>(capacity);
  }
  // Plain storage: a first block is allocated at the wanted count and zero-filled; later growth
  // goes through ubrRealloc, which may settle for fewer slots (never below needed) and zero-fills
  // the slots it adds.
  void growTo(int32_t needed, int32_t wanted, std::true_type /*plain*/) {
    void* block = data;
    if (data == nullptr) {
      capacity = ubrMalloc(&block, static_cast<int32_t>(sizeof(T)), wanted);
      std::memset(block, 0, sizeof(T) * static_cast<size_t>(wanted));
    } else {
      capacity = ubrRealloc(&block, static_cast<int32_t>(sizeof(T)), capacity, needed, wanted);
    }
    data = static_cast<T*>(block);
  }
  // Object storage: a new array; every old slot (slot 0 included) is copy-assigned into it, then
  // the old array is destroyed.
  void growTo(int32_t /*needed*/, int32_t wanted, std::false_type /*objects*/) {
    T* fresh = new T[static_cast<size_t>(wanted)];
    const int32_t keep = capacity < wanted ? capacity : wanted;
    for (int32_t k = 0; k < keep; ++k) fresh[k] = data[k];
    delete[] data;
    data = fresh;
    capacity = wanted;
  }
  [[noreturn]] static void failTooLarge(std::true_type /*plain*/) {
    ubrReportOrExit(ubrOutOfMemory);
    std::exit(-1);
  }
  [[noreturn]] static void failTooLarge(std::false_type /*objects*/) {
    throw std::bad_array_new_length();
  }
  void releaseStorage(std::true_type /*plain*/) {
    platformFree(static_cast<void*>(data));
    data = nullptr;
    capacity = 0;
    top = 0;
  }
  void releaseStorage(std::false_type /*objects*/) {
    delete[] data;
    data = nullptr;
    capacity = 0;
    top = 0;
  }
};

static_assert(offsetof(OrnArray<int>, capacity) == 0, "OrnArray layout: {capacity, data, top}");
static_assert(offsetof(OrnArray<int>, data) == sizeof(void*), "OrnArray layout");
static_assert(offsetof(OrnArray<int>, top) == 2 * sizeof(void*), "OrnArray layout");
static_assert(sizeof(OrnArray<int>) == 3 * sizeof(void*), "OrnArray layout: {capacity, data, top}");

#endif  // ORN_TEXT_ORN_ARRAY_H_
