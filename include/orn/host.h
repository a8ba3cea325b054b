// What a host compiles against, in one include:
//   #include <orn/host.h>
// Everything of <orn/module.h>, the platform calls a host needs (loading modules, locks, clocks,
// memory figures), the real host with every service (OrnHostApp) and module loading
// (LoadedModule), and the checks and inspection of `orn-host check|inspect`. Link Orn::host, and
// Orn::check as well for checkModule and inspectModule.
#ifndef ORN_HOST_H_
#define ORN_HOST_H_

#include <orn/module.h>

// Platform calls a host needs.
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/heap.h"
#include "platform/lock.h"
#include "platform/module_loader.h"
#include "platform/process_memory.h"
#include "platform/utf.h"

// The real host (Orn::host): every service and module loading.
#include "host/host_language.h"
#include "host/loaded_module.h"
#include "host/orn_host.h"
#include "host/po_catalogue.h"
#include "host/test_service.h"
#include "host/wide_text.h"

// The inspection and the checks of orn-host inspect and orn-host check (Orn::check).
#include "host/check/module_checks.h"
#include "host/check/module_facts.h"

#endif  // ORN_HOST_H_
