// Failed consistency checks of the pool: told to the host's assertion handler, then execution
// goes on. With no handler present the process exits with status 255.
#ifndef ORN_POOL_POOL_CHECK_H_
#define ORN_POOL_POOL_CHECK_H_

// Looks the handler ("IOrnAssertHandlerCB") up anew for this one report.
void reportPoolCheckFailure(const char* expression, const char* file, int line);

// Evaluates cond; on failure reports its text with this file and line. Yields cond.
#define ORN_POOL_CHECK(cond) \
  ((cond) ? true : (reportPoolCheckFailure(#cond, __FILE__, __LINE__), false))

// Checks compiled into debug builds only (the bucket-table invariant).
#ifdef NDEBUG
#define ORN_POOL_DEBUG_CHECKS 0
#else
#define ORN_POOL_DEBUG_CHECKS 1
#endif

#endif  // ORN_POOL_POOL_CHECK_H_
