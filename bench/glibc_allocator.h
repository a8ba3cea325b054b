// glibc's own malloc and free in a process where mimalloc is linked. Debian's libmimalloc.so
// replaces malloc for the whole process and also defines __libc_malloc / __libc_free, so neither
// name reaches glibc; its own definitions are looked up in libc.so.6 itself.
#ifndef ORN_BENCH_GLIBC_ALLOCATOR_H_
#define ORN_BENCH_GLIBC_ALLOCATOR_H_

#include <dlfcn.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>

struct GlibcAllocator {
  void* (*malloc)(size_t);
  void (*free)(void*);
};

inline GlibcAllocator lookUpGlibcAllocator() {
  void* libc = dlopen("libc.so.6", RTLD_NOW | RTLD_NOLOAD);
  GlibcAllocator a{};
  if (libc != nullptr) {
    a.malloc = reinterpret_cast<void* (*)(size_t)>(dlsym(libc, "malloc"));
    a.free = reinterpret_cast<void (*)(void*)>(dlsym(libc, "free"));
  }
  if (a.malloc == nullptr || a.free == nullptr) {
    std::fprintf(stderr, "glibc's malloc/free not found in libc.so.6\n");
    std::abort();
  }
  return a;
}

// Looked up once before main; a plain load at each call.
inline const GlibcAllocator glibc = lookUpGlibcAllocator();

#endif  // ORN_BENCH_GLIBC_ALLOCATOR_H_
