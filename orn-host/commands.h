// The subcommands of orn-host. Each returns the process's exit status.
#ifndef ORN_HOST_CLI_COMMANDS_H_
#define ORN_HOST_CLI_COMMANDS_H_

#include "host/orn_host.h"
#include "orn-host/command_options.h"

// Name, build stamp, identifier, descriptor and every class with its names.
int runInspect(OrnHostApp& host, const HostCommandOptions& options);
// One line per rule, a summary line; 0 only when every rule passes.
int runCheck(OrnHostApp& host, const HostCommandOptions& options);

struct TestCommandOptions {
  bool withoutTestService = false;  // hand runTests no test service
};
// Runs the module's test operation and shows what came back through the error service.
int runTest(OrnHostApp& host, const HostCommandOptions& options,
            const TestCommandOptions& testOptions);

#endif  // ORN_HOST_CLI_COMMANDS_H_
