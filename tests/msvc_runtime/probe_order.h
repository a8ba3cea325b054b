// What the run-time probe module records about its own start-up and shut-down.
#ifndef ORN_TESTS_MSVC_RUNTIME_PROBE_ORDER_H_
#define ORN_TESTS_MSVC_RUNTIME_PROBE_ORDER_H_

// Appends one letter to the module's record of initialisers and destructors, in call order.
void recordStep(char step);

// An inline variable with a dynamic initialiser. The toolchain runs it once, but not ordered
// before the initialisers of the file that includes it (which is why class identifiers are
// constant-initialised: OrnID's constructor is constexpr).
struct ProbeConstant {
  int value;
  ProbeConstant(int v) : value(v) { recordStep('i'); }
};
inline const ProbeConstant probeConstant(42);

#endif  // ORN_TESTS_MSVC_RUNTIME_PROBE_ORDER_H_
