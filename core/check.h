// Failed internal consistency checks: told to the host's assertion handler with the expression,
// the source file's name and the line; execution then goes on.
#ifndef ORN_CORE_CHECK_H_
#define ORN_CORE_CHECK_H_

// Fetches "IOrnAssertHandlerCB" for this one report; with no handler in the host the process
// ends with exit(255). file may be a full path: only its last component is reported.
void reportFailedCheck(const char* expression, const char* file, int line);

// Evaluates cond; on failure reports its text with this file and line. Yields cond.
#define ORN_CHECK(cond) ((cond) ? true : (reportFailedCheck(#cond, __FILE__, __LINE__), false))

#endif  // ORN_CORE_CHECK_H_
