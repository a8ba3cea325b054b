/* The POSIX and large-file names that mingw-w64's headers declare and libstdc++ calls, on the
   functions msvcrt.dll exports under its own names (what mingw's libmoldname and libmingwex do
   for a gcc build). */
#include <stddef.h>

#pragma clang diagnostic ignored "-Wbuiltin-requires-header"

typedef struct OrnFile OrnFile; /* msvcrt.dll's FILE */
__declspec(dllimport) int __cdecl _close(int);
__declspec(dllimport) int __cdecl _read(int, void*, unsigned);
__declspec(dllimport) int __cdecl _write(int, const void*, unsigned);
__declspec(dllimport) long long __cdecl _lseeki64(int, long long, int);
__declspec(dllimport) int __cdecl _chsize_s(int, long long);
__declspec(dllimport) int __cdecl _fileno(OrnFile*);
__declspec(dllimport) OrnFile* __cdecl _fdopen(int, const char*);
__declspec(dllimport) OrnFile* __cdecl fopen(const char*, const char*);
__declspec(dllimport) int __cdecl _fseeki64(OrnFile*, long long, int);
__declspec(dllimport) long long __cdecl _ftelli64(OrnFile*);
__declspec(dllimport) char* __cdecl _strdup(const char*);
__declspec(dllimport) double __cdecl _hypot(double, double);
__declspec(dllimport) double __cdecl strtod(const char*, char**);
__declspec(dllimport) int* __cdecl _errno(void);

int __cdecl close(int fd) { return _close(fd); }
int __cdecl read(int fd, void* buffer, unsigned count) { return _read(fd, buffer, count); }
int __cdecl write(int fd, const void* buffer, unsigned count) { return _write(fd, buffer, count); }
long long __cdecl lseek64(int fd, long long offset, int whence) {
  return _lseeki64(fd, offset, whence);
}
int __cdecl ftruncate64(int fd, long long length) {
  int error = _chsize_s(fd, length);
  if (error == 0) return 0;
  *_errno() = error;
  return -1;
}
int __cdecl fileno(OrnFile* file) { return _fileno(file); }
OrnFile* __cdecl fdopen(int fd, const char* mode) { return _fdopen(fd, mode); }
OrnFile* __cdecl fopen64(const char* name, const char* mode) { return fopen(name, mode); }
int __cdecl fseeko64(OrnFile* file, long long offset, int whence) {
  return _fseeki64(file, offset, whence);
}
long long __cdecl ftello64(OrnFile* file) { return _ftelli64(file); }
char* __cdecl strdup(const char* text) { return _strdup(text); }
double __cdecl hypot(double x, double y) { return _hypot(x, y); }
double __cdecl __mingw_strtod(const char* text, char** end) { return strtod(text, end); }
float __cdecl __mingw_strtof(const char* text, char** end) { return (float)strtod(text, end); }

/* The class masks of msvcrt.dll's iswctype, by name. */
typedef unsigned short OrnWctype;
__declspec(dllimport) int __cdecl strcmp(const char*, const char*);
OrnWctype __cdecl wctype(const char* name) {
  enum {
    kUpper = 0x1,
    kLower = 0x2,
    kDigit = 0x4,
    kSpace = 0x8,
    kPunct = 0x10,
    kControl = 0x20,
    kBlank = 0x40,
    kHex = 0x80,
    kAlpha = 0x103
  };
  static const struct {
    const char* name;
    OrnWctype mask;
  } classes[] = {{"alnum", kAlpha | kDigit}, {"alpha", kAlpha},
                 {"blank", kBlank},          {"cntrl", kControl},
                 {"digit", kDigit},          {"graph", kPunct | kAlpha | kDigit},
                 {"lower", kLower},          {"print", kPunct | kAlpha | kDigit | kBlank},
                 {"punct", kPunct},          {"space", kSpace},
                 {"upper", kUpper},          {"xdigit", kHex}};
  for (size_t i = 0; i < sizeof classes / sizeof classes[0]; ++i) {
    if (strcmp(name, classes[i].name) == 0) return classes[i].mask;
  }
  return 0;
}

__declspec(dllimport) int __cdecl _creat(const char*, int);
__declspec(dllimport) int __cdecl _dup(int);
__declspec(dllimport) int __cdecl _dup2(int, int);
__declspec(dllimport) double __cdecl _nextafter(double, double);
struct _stat32;
__declspec(dllimport) int __cdecl _stat(const char*, struct _stat32*);
int __cdecl creat(const char* name, int mode) { return _creat(name, mode); }
int __cdecl dup(int fd) { return _dup(fd); }
int __cdecl dup2(int from, int to) { return _dup2(from, to); }
double __cdecl nextafter(double x, double y) { return _nextafter(x, y); }
/* msvcrt.dll's _stat is the 32-bit-time, 32-bit-size one. */
int __cdecl _stat32(const char* name, struct _stat32* info) { return _stat(name, info); }
/* Later run-times' switch for abort's message box and crash report; msvcrt.dll has neither. */
unsigned int __cdecl _set_abort_behavior(unsigned int flags, unsigned int mask) {
  (void)flags;
  (void)mask;
  return 0;
}
