// What the compiler and the build offer, in one place: which sanitizer is on, the attribute for
// rarely taken paths, and bit scans. Everything outside platform/ uses these instead of compiler
// built-ins or sanitizer macros of its own.
#ifndef ORN_PLATFORM_CONFIG_H_
#define ORN_PLATFORM_CONFIG_H_

#include <cstdint>

// ORN_ADDRESS_SANITIZER / ORN_THREAD_SANITIZER: defined as 1 when the build runs under
// AddressSanitizer (with its leak checker) / ThreadSanitizer. gcc says so with __SANITIZE_*__,
// clang through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define ORN_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORN_ADDRESS_SANITIZER 1
#endif
#endif

#if defined(__SANITIZE_THREAD__)
#define ORN_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define ORN_THREAD_SANITIZER 1
#endif
#endif

// ORN_COLD: a function on a path that is rarely taken (first binding, a caller's fault). Kept out
// of line, so that the common path around its call stays small.
#if defined(__GNUC__) || defined(__clang__)
#define ORN_COLD __attribute__((noinline, cold))
#elif defined(_MSC_VER)
#define ORN_COLD __declspec(noinline)
#else
#define ORN_COLD
#endif

// The number of trailing zero bits of value, which must not be 0.
inline int countTrailingZeros(uint32_t value) {
#if defined(__GNUC__) || defined(__clang__)
  return __builtin_ctz(value);
#else
  int n = 0;
  while ((value & 1u) == 0) {
    value >>= 1;
    ++n;
  }
  return n;
#endif
}

// The number of bits needed to write value, 0 for 0 (32 - leading zero bits).
inline int bitLength(uint32_t value) {
#if defined(__GNUC__) || defined(__clang__)
  return value == 0 ? 0 : 32 - __builtin_clz(value);
#else
  int n = 0;
  for (; value != 0; value >>= 1) ++n;
  return n;
#endif
}

#endif  // ORN_PLATFORM_CONFIG_H_
