// The fixed module workload of the fault sweeps: what a host does with a module (attach, inspect,
// enumerate, create every class, run the tests, release) and what the framework does for it
// inside (strings and their copies, wide text and translation, arrays, the pool's tables, guarded
// growth). Every result is checked against what it must be; the first wrong one is kept.
#ifndef ORN_TESTS_HARDENING_WORKLOAD_H_
#define ORN_TESTS_HARDENING_WORKLOAD_H_

#include <functional>
#include <string>
#include <vector>

#include "core/component.h"
#include "core/host.h"
#include "core/orn_id.h"

// Collects the first wrong result of a run.
class WorkloadCheck {
 public:
  // Keeps what when ok is false and no earlier check failed. Returns ok.
  bool expect(bool ok, const std::string& what);
  bool passed() const { return firstFailure_.empty(); }
  const std::string& firstFailure() const { return firstFailure_; }

 private:
  std::string firstFailure_;
};

// What the component under test must answer.
struct ExpectedComponent {
  const char* name;
  OrnID id;
  const unsigned char* descriptorBytes;  // 16 bytes
};

// The host the component is attached to, and what the workload reads back from it.
struct WorkloadHost {
  IOrnHost* host;
  // The messages that reached the host's error service so far, in order.
  std::function<std::vector<std::string>()> reportedMessages;
};

// The host's side: attaches host to component (initialize, then the host's one reference),
// reads the component's facts, enumerates it and its descriptor (also into a collector whose stop
// names end the enumeration), walks and creates every class and uses it, runs the tests with and
// without a test service, then terminates and drops the host's reference, which must destroy the
// component. Talks to the component only through its interfaces, so it serves an in-process
// component and a loaded module alike.
void runComponentWorkload(IOrnComponent* component, const WorkloadHost& host,
                          const ExpectedComponent& expected, WorkloadCheck& check);

// The framework's side, in this binary: owned and borrowed strings of every size class and their
// copies, wide text and the translator's placeholders, plain and object arrays grown by pushes,
// the pool's bucket table and a bucket's stack grown, and a guarded block grown with its
// contents. Everything made is released again.
void runFrameworkWorkload(WorkloadCheck& check);

#endif  // ORN_TESTS_HARDENING_WORKLOAD_H_
