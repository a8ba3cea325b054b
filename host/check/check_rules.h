// The rules of orn-host check: a named handle for each (its name text) and all of them in report
// order, both made from the one table in check_rules.def.
#ifndef ORN_HOST_CHECK_CHECK_RULES_H_
#define ORN_HOST_CHECK_CHECK_RULES_H_

#include <cstddef>

#define ORN_CHECK_RULE(handle, name) inline constexpr const char* handle = name;
#include "host/check/check_rules.def"
#undef ORN_CHECK_RULE

// Every rule's name, in the order of the report.
inline constexpr const char* checkRules[] = {
#define ORN_CHECK_RULE(handle, name) handle,
#include "host/check/check_rules.def"
#undef ORN_CHECK_RULE
};
inline constexpr size_t checkRuleCount = sizeof(checkRules) / sizeof(checkRules[0]);

#endif  // ORN_HOST_CHECK_CHECK_RULES_H_
