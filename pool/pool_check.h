// Failed consistency checks of the pool: told to the host's assertion handler, then execution
// goes on. With no handler present the process exits with status 255.
#ifndef ORN_POOL_POOL_CHECK_H_
#define ORN_POOL_POOL_CHECK_H_

#include "core/check.h"

#define ORN_POOL_CHECK(cond) ORN_CHECK(cond)

// Checks compiled into debug builds only (the bucket-table invariant).
#ifdef NDEBUG
#define ORN_POOL_DEBUG_CHECKS 0
#else
#define ORN_POOL_DEBUG_CHECKS 1
#endif

#endif  // ORN_POOL_POOL_CHECK_H_
