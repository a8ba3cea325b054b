/* C functions that mingw-w64's headers (libstdc++ forces its C99 stdio) and libwinpthread call,
   mapped onto what msvcrt.dll exports. */
#include <stdarg.h>
#include <stddef.h>

/* Declared here rather than through mingw's <stdio.h>, whose dllimport declaration of
   __acrt_iob_func would turn the definition below into an export. */
#pragma clang diagnostic ignored "-Wbuiltin-requires-header"
typedef struct {
  char* ptr;
  int cnt;
  char* base;
  int flag;
  int file;
  int charbuf;
  int bufsiz;
  char* tmpfname;
} FILE; /* msvcrt.dll's */

__declspec(dllimport) FILE* __cdecl __iob_func(void);
__declspec(dllimport) int __cdecl vfprintf(FILE*, const char*, va_list);
__declspec(dllimport) int __cdecl vsprintf(char*, const char*, va_list);
__declspec(dllimport) int __cdecl _vsnprintf(char*, size_t, const char*, va_list);
__declspec(dllimport) int __cdecl _vscprintf(const char*, va_list);
__declspec(dllimport) int __cdecl _vsnwprintf(wchar_t*, size_t, const wchar_t*, va_list);
__declspec(dllimport) int __cdecl _vscwprintf(const wchar_t*, va_list);
__declspec(dllimport) void* __cdecl memcpy(void*, const void*, size_t);
__declspec(dllimport) void* __cdecl memmove(void*, const void*, size_t);

/* stdin, stdout, stderr by index. */
FILE* __cdecl __acrt_iob_func(unsigned index) { return &__iob_func()[index]; }
/* libwinpthread calls it through an import pointer. */
FILE*(__cdecl* const orn_imp_acrt_iob_func)(unsigned)__asm__("__imp____acrt_iob_func") =
    __acrt_iob_func;

int __cdecl __mingw_vfprintf(FILE* file, const char* format, va_list args) {
  return vfprintf(file, format, args);
}
int __cdecl __mingw_vprintf(const char* format, va_list args) {
  return vfprintf(__acrt_iob_func(1), format, args);
}
int __cdecl __mingw_vsprintf(char* buffer, const char* format, va_list args) {
  return vsprintf(buffer, format, args);
}
/* C99 semantics: the length the whole text needs; the buffer always terminated. */
int __cdecl __mingw_vsnprintf(char* buffer, size_t size, const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int needed = _vscprintf(format, copy);
  va_end(copy);
  if (size > 0) {
    int written = _vsnprintf(buffer, size, format, args);
    if (written < 0 || (size_t)written >= size) buffer[size - 1] = '\0';
  }
  return needed;
}
int __cdecl __mingw_vsnwprintf(wchar_t* buffer, size_t size, const wchar_t* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int needed = _vscwprintf(format, copy);
  va_end(copy);
  if (size > 0) {
    int written = _vsnwprintf(buffer, size, format, args);
    if (written < 0 || (size_t)written >= size) buffer[size - 1] = L'\0';
  }
  return needed;
}
int __cdecl __mingw_snprintf(char* buffer, size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int needed = __mingw_vsnprintf(buffer, size, format, args);
  va_end(args);
  return needed;
}

/* 64-bit division as libgcc names it (libwinpthread is built by gcc); the compiler turns these
   into msvcrt.dll's _alldiv and friends. */
long long __cdecl __divdi3(long long a, long long b) { return a / b; }
unsigned long long __cdecl __udivdi3(unsigned long long a, unsigned long long b) { return a / b; }
long long __cdecl __divmoddi4(long long a, long long b, long long* rem) {
  *rem = a % b;
  return a / b;
}
unsigned long long __cdecl __udivmoddi4(unsigned long long a, unsigned long long b,
                                        unsigned long long* rem) {
  if (rem) *rem = a % b;
  return a / b;
}

/* The wide memory functions, inline in Microsoft's headers, out of line in mingw's. */
wchar_t* __cdecl wmemcpy(wchar_t* to, const wchar_t* from, size_t n) {
  return (wchar_t*)memcpy(to, from, n * sizeof(wchar_t));
}
wchar_t* __cdecl wmemmove(wchar_t* to, const wchar_t* from, size_t n) {
  return (wchar_t*)memmove(to, from, n * sizeof(wchar_t));
}
wchar_t* __cdecl wmemset(wchar_t* to, wchar_t c, size_t n) {
  for (size_t i = 0; i < n; ++i) to[i] = c;
  return to;
}
int __cdecl wmemcmp(const wchar_t* a, const wchar_t* b, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}
wchar_t* __cdecl wmemchr(const wchar_t* s, wchar_t c, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (s[i] == c) return (wchar_t*)(s + i);
  }
  return 0;
}

/* C99 conversions that msvcrt.dll has under other names (long double is double here). */
__declspec(dllimport) long long __cdecl _strtoi64(const char*, char**, int);
__declspec(dllimport) unsigned long long __cdecl _strtoui64(const char*, char**, int);
__declspec(dllimport) double __cdecl strtod(const char*, char**);
long long __cdecl strtoll(const char* text, char** end, int base) {
  return _strtoi64(text, end, base);
}
unsigned long long __cdecl strtoull(const char* text, char** end, int base) {
  return _strtoui64(text, end, base);
}
long double __cdecl strtold(const char* text, char** end) { return strtod(text, end); }

/* A copy of an environment variable (null when unset), as later run-times export it. */
__declspec(dllimport) char* __cdecl getenv(const char*);
__declspec(dllimport) void* __cdecl malloc(size_t);
__declspec(dllimport) size_t __cdecl strlen(const char*);
int __cdecl _dupenv_s(char** value, size_t* length, const char* name) {
  const char* found = getenv(name);
  *value = 0;
  if (length) *length = 0;
  if (!found) return 0;
  size_t size = strlen(found) + 1;
  char* copy = (char*)malloc(size);
  if (!copy) return 12; /* ENOMEM */
  memcpy(copy, found, size);
  *value = copy;
  if (length) *length = size;
  return 0;
}
