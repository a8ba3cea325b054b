// What the unit tests of a module compile against, in one include:
//   #include <orn/testhost.h>
// Everything of <orn/module.h>, the module's globals (its class factory, to make objects as a
// host does) and the recording, fault-injecting test host with its services. Link Orn::testhost
// together with the module's sources.
#ifndef ORN_TESTHOST_H_
#define ORN_TESTHOST_H_

#include <orn/module.h>

// The module's globals: class factory, component name and identifier.
#include "core/module_globals.h"

// A recording host for unit tests of modules (Orn::testhost).
#include "testhost/memory_services.h"
#include "testhost/pool_services.h"
#include "testhost/recording_services.h"
#include "testhost/settings_services.h"
#include "testhost/test_host.h"
#include "testhost/translator_services.h"

#endif  // ORN_TESTHOST_H_
