#include "platform/read_only_file.h"

const char* pathKindText(PathKind kind) {
  switch (kind) {
    case PathKind::missing:
      return "missing";
    case PathKind::regular:
      return "a regular file";
    case PathKind::directory:
      return "a directory";
    case PathKind::fifo:
      return "a FIFO (named pipe)";
    case PathKind::device:
      return "a device";
    case PathKind::socket:
      return "a socket";
    case PathKind::unreadable:
      return "not readable";
    case PathKind::other:
      break;
  }
  return "not a regular file";
}
