// Invariant checks of the text records, compiled into debug builds only.
#ifndef ORN_TEXT_TEXT_CHECK_H_
#define ORN_TEXT_TEXT_CHECK_H_

// Tells the host's assertion handler of a failed check (expression, file, line); execution goes
// on. With no handler present the process ends with exit(255).
void textCheckFailed(const char* expression, const char* file, int line);

#ifndef NDEBUG
#define ORN_TEXT_CHECK(expr) ((expr) ? (void)0 : textCheckFailed(#expr, __FILE__, __LINE__))
#else
#define ORN_TEXT_CHECK(expr) ((void)0)
#endif

#endif  // ORN_TEXT_TEXT_CHECK_H_
