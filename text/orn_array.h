// OrnArray<T>: growable array with a top index, shared with the host (the enumeration arrays).
#ifndef ORN_TEXT_ORN_ARRAY_H_
#define ORN_TEXT_ORN_ARRAY_H_

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "memory/ubr_alloc.h"

// Plain elements (pointers, PoolEntry, ...) live in raw storage from ubrMalloc/ubrRealloc, zero
// filled, freed with free. Object elements (OrnString, InterfaceNameRecord) live in an array made
// with new[], every slot default-constructed. The policy follows from the element type.
template <class T>
struct OrnArrayIsPlain : std::integral_constant<bool, std::is_trivially_copyable<T>::value> {};

// Layout shared with the host: {capacity, data, top}. Elements occupy indices 1..top; slot 0 is
// never written by push. Emptying is the owner setting top to 0. Not synchronised.
template <class T>
class OrnArray {
 public:
  int32_t capacity = 0;
  T* data = nullptr;
  int32_t top = 0;

  OrnArray() = default;
  // Storage for `initialCapacity` slots up front (zero-filled for plain elements).
  explicit OrnArray(int32_t initialCapacity) {
    if (initialCapacity > 0) grow(initialCapacity - 1);
  }
  OrnArray(const OrnArray&) = delete;
  OrnArray& operator=(const OrnArray&) = delete;
  ~OrnArray() { releaseStorage(); }

  // The slot at index i, growing the array first when i is not below capacity.
  T& at(int32_t i) {
    if (i >= capacity) grow(i);
    return data[i];
  }
  void push(const T& value) {
    ++top;
    at(top) = value;
  }
  // REQUIRES: top != 0.
  T& topElement() { return at(top); }

  // Grows so that index i exists: to max(capacity, 1) doubled until it holds i + 1 slots.
  void grow(int32_t i) {
    if (i < 0) return;
    const int32_t needed = i + 1;
    if (capacity >= needed) return;
    int32_t wanted = capacity > 0 ? capacity : 1;
    while (wanted < needed) wanted = wanted > INT32_MAX / 2 ? needed : wanted * 2;
    growTo(needed, wanted, OrnArrayIsPlain<T>());
  }

 private:
  void growTo(int32_t needed, int32_t wanted, std::true_type /*plain*/) {
    void* block = data;
    if (data == nullptr) {
      ubrMalloc(&block, static_cast<int32_t>(sizeof(T)), wanted);
      std::memset(block, 0, sizeof(T) * static_cast<size_t>(wanted));
      capacity = wanted;
    } else {
      capacity = ubrRealloc(&block, static_cast<int32_t>(sizeof(T)), capacity, needed, wanted);
    }
    data = static_cast<T*>(block);
  }
  void growTo(int32_t /*needed*/, int32_t wanted, std::false_type /*objects*/) {
    T* fresh = new T[static_cast<size_t>(wanted)];
    const int32_t keep = capacity < wanted ? capacity : wanted;
    for (int32_t k = 0; k < keep; ++k) fresh[k] = data[k];
    delete[] data;
    data = fresh;
    capacity = wanted;
  }
  void releaseStorage() {
    if (OrnArrayIsPlain<T>::value) {
      std::free(static_cast<void*>(data));
    } else {
      deleteObjects(OrnArrayIsPlain<T>());
    }
    data = nullptr;
    capacity = 0;
    top = 0;
  }
  void deleteObjects(std::false_type) { delete[] data; }
  void deleteObjects(std::true_type) {}
};

static_assert(sizeof(OrnArray<int>) == 3 * sizeof(void*), "OrnArray layout: {capacity, data, top}");

#endif  // ORN_TEXT_ORN_ARRAY_H_
