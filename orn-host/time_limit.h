// --timeout: how long each phase of the work with a module may take before the module's process
// is stopped.
#ifndef ORN_HOST_CLI_TIME_LIMIT_H_
#define ORN_HOST_CLI_TIME_LIMIT_H_

#include <string>

constexpr double defaultTimeLimitSeconds = 30;
// The longest limit that can be set: a day. Anything longer is a typing error.
constexpr double longestTimeLimitSeconds = 86400;

// Reads a limit typed as seconds: digits with an optional fraction ("30", "2.5"), 0 for none, at
// most longestTimeLimitSeconds. False with a one-line *error that names what was typed.
bool parseTimeLimit(const std::string& text, double* seconds, std::string* error);

// "30 s per phase", or "none" for 0.
std::string timeLimitText(double seconds);
// "30", "2.5".
std::string secondsText(double seconds);

#endif  // ORN_HOST_CLI_TIME_LIMIT_H_
