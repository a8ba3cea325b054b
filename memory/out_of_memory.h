// Out-of-memory notification: one translated message through the host's error service, then the
// process ends with exit(-1).
#ifndef ORN_MEMORY_OUT_OF_MEMORY_H_
#define ORN_MEMORY_OUT_OF_MEMORY_H_

class OrnWString;

// Failure codes of guarded allocation.
enum UbrFailureCode : int {
  ubrSpillOpenFailed = -1,
  ubrSpillWriteShort = -2,
  ubrSpillReadFailed = -3,
  ubrOutOfMemory = -4,
  ubrOtherFailure = -5,
};

// The user-visible text before translation.
extern const char* const ubrOutOfMemoryText;

// Fills out with the current translator's rendering of the out-of-memory text.
void ubrOutOfMemoryMessage(OrnWString& out);
// Shows the message (codes -5..-1 only) through the host's error service, looked up anew on each
// call. Returns whether the failure was handled: never.
bool ubrReportMemoryFailure(int code);
// ubrReportMemoryFailure, then exit(-1) when not handled.
bool ubrReportOrExit(int code);
// The end of every failed guarded allocation: the notification, then exit(-1) (it never reports
// the failure handled).
[[noreturn]] void ubrGiveUp(int code);

#endif  // ORN_MEMORY_OUT_OF_MEMORY_H_
