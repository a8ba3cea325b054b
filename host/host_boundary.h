// hostBoundary: the edge of every host operation a module calls.
//
// Module and host are separate binaries (on Windows each with its own C++ runtime): an exception
// leaving a host operation would unwind module frames and end the process abnormally, on the
// out-of-memory road as an abort instead of the module's message and exit status -1. Each
// operation runs its body here; whatever the body throws (std::bad_alloc from a string, a map or
// a vector above all) stops at this edge and the operation answers its failure value instead.
#ifndef ORN_HOST_HOST_BOUNDARY_H_
#define ORN_HOST_HOST_BOUNDARY_H_

#include <type_traits>
#include <utility>

// Runs body(); when it throws, runs fallback(), which must not throw itself (it runs where
// nothing may leave), and answers what the fallback answers.
template <class Body, class Fallback>
auto hostBoundaryWith(Body&& body, Fallback&& fallback) noexcept -> decltype(body()) {
  static_assert(noexcept(fallback()), "a boundary's fallback must not throw");
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    return std::forward<Fallback>(fallback)();
  }
}

// Runs body(); when it throws, answers failure (0, false, null: the operation's "not done").
template <class Result, class Body>
Result hostBoundary(Result failure, Body&& body) noexcept {
  static_assert(std::is_nothrow_copy_constructible<Result>::value,
                "a boundary's failure value must be copied without throwing");
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    return failure;
  }
}

#endif  // ORN_HOST_HOST_BOUNDARY_H_
