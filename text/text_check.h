// Invariant checks of the text records, compiled into debug builds only.
#ifndef ORN_TEXT_TEXT_CHECK_H_
#define ORN_TEXT_TEXT_CHECK_H_

#include "core/check.h"

#ifndef NDEBUG
#define ORN_TEXT_CHECK(expr) ((expr) ? (void)0 : reportFailedCheck(#expr, __FILE__, __LINE__))
#else
#define ORN_TEXT_CHECK(expr) ((void)0)
#endif

#endif  // ORN_TEXT_TEXT_CHECK_H_
