#include "orn-host/time_limit.h"

#include <cstdio>

bool parseTimeLimit(const std::string& text, double* seconds, std::string* error) {
  const std::string expected =
      " (0 for no limit, at most " + secondsText(longestTimeLimitSeconds) + ")";
  size_t digits = 0, dots = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      ++digits;
    } else if (c == '.') {
      ++dots;
    } else {
      digits = 0;
      break;
    }
  }
  if (digits == 0 || dots > 1 || text.front() == '.' || text.back() == '.') {
    *error = "--timeout: '" + text + "' is not a number of seconds" + expected;
    return false;
  }
  // Read by hand, not by strtod, which follows the C locale's decimal point. Digits past the
  // ninth of the whole part make the value too long whatever they are.
  double value = 0;
  double scale = 1;
  bool fraction = false;
  size_t whole = 0;
  for (char c : text) {
    if (c == '.') {
      fraction = true;
    } else if (fraction) {
      scale /= 10;
      value += (c - '0') * scale;
    } else if (++whole <= 9) {
      value = value * 10 + (c - '0');
    } else {
      value = longestTimeLimitSeconds + 1;
    }
  }
  if (!(value <= longestTimeLimitSeconds)) {
    *error = "--timeout: '" + text + "' seconds is longer than the longest limit" + expected;
    return false;
  }
  *seconds = value;
  return true;
}

std::string secondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", seconds);
  return text;
}

std::string timeLimitText(double seconds) {
  return seconds > 0 ? secondsText(seconds) + " s per phase" : "none";
}
