/* mingw-w64's <dirent.h> wide directory reading (std::filesystem's directory iterators), on
   FindFirstFileW / FindNextFileW. One search handle a stream; the caller owns the stream until
   _wclosedir. */
// clang-format off
#include <windows.h>
#include <dirent.h>
// clang-format on
#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

typedef struct {
  _WDIR dir; /* first, so a stream is a _WDIR to the caller */
  HANDLE find;
  WIN32_FIND_DATAW data;
  int pending; /* data holds an entry not yet handed out */
} OrnDirStream;

static int errno_of(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
      return ENOENT;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return EACCES;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    default:
      return EINVAL;
  }
}

_WDIR* __cdecl _wopendir(const wchar_t* path) {
  if (!path || !*path) {
    errno = ENOENT;
    return NULL;
  }
  DWORD attributes = GetFileAttributesW(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    errno = errno_of(GetLastError());
    return NULL;
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    errno = ENOTDIR;
    return NULL;
  }
  size_t length = wcslen(path);
  int separated = path[length - 1] == L'\\' || path[length - 1] == L'/';
  wchar_t* pattern = (wchar_t*)malloc((length + 3) * sizeof(wchar_t));
  OrnDirStream* stream = (OrnDirStream*)calloc(1, sizeof(OrnDirStream));
  if (!pattern || !stream) {
    free(pattern);
    free(stream);
    errno = ENOMEM;
    return NULL;
  }
  memcpy(pattern, path, length * sizeof(wchar_t));
  if (!separated) pattern[length++] = L'\\';
  pattern[length++] = L'*';
  pattern[length] = L'\0';
  stream->find = FindFirstFileW(pattern, &stream->data);
  DWORD error = GetLastError();
  free(pattern);
  if (stream->find == INVALID_HANDLE_VALUE) {
    free(stream);
    errno = errno_of(error);
    return NULL;
  }
  stream->pending = 1;
  return &stream->dir;
}

/* Null at the end with errno untouched; null with errno set when the search failed. */
struct _wdirent* __cdecl _wreaddir(_WDIR* dir) {
  OrnDirStream* stream = (OrnDirStream*)dir;
  if (!stream) {
    errno = EBADF;
    return NULL;
  }
  if (!stream->pending) {
    if (!FindNextFileW(stream->find, &stream->data)) {
      DWORD error = GetLastError();
      if (error != ERROR_NO_MORE_FILES) errno = errno_of(error);
      return NULL;
    }
  }
  stream->pending = 0;
  size_t length = wcslen(stream->data.cFileName);
  if (length >= sizeof stream->dir.dd_dir.d_name / sizeof(wchar_t)) {
    errno = ENAMETOOLONG;
    return NULL;
  }
  memcpy(stream->dir.dd_dir.d_name, stream->data.cFileName, (length + 1) * sizeof(wchar_t));
  stream->dir.dd_dir.d_namlen = (unsigned short)length;
  return &stream->dir.dd_dir;
}

int __cdecl _wclosedir(_WDIR* dir) {
  OrnDirStream* stream = (OrnDirStream*)dir;
  if (!stream) {
    errno = EBADF;
    return -1;
  }
  FindClose(stream->find);
  free(stream);
  return 0;
}
