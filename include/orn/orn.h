// The public API of the framework, its hosts and its test host, in one include:
//   #include <orn/orn.h>
// This header and what it includes are the public API; every other header is an implementation
// detail of its folder. Start with core/object.h (the object model) and core/component.h.
#ifndef ORN_ORN_H_
#define ORN_ORN_H_

// Object model, component, host and services, class factory, start-up and teardown.
#include "core/check.h"
#include "core/class_factory.h"
#include "core/component.h"
#include "core/host.h"
#include "core/interface_names.h"
#include "core/module_globals.h"
#include "core/object.h"
#include "core/orn_id.h"
#include "core/service_ptr.h"
#include "core/teardown.h"
#include "core/test_operation.h"

// Guarded memory.
#include "memory/out_of_memory.h"
#include "memory/ubrrealloc.h"

// The bucket pool and the module's binding to it.
#include "pool/bucket_pool.h"
#include "pool/pool_binding.h"

// Strings, arrays and hash tables.
#include "text/orn_array.h"
#include "text/orn_hash_table.h"
#include "text/orn_string.h"
#include "text/orn_wstring.h"

// Temporary spill-file names and the translator.
#include "tempfile/temp_path.h"
#include "translation/translator.h"

// Platform calls a host needs: loading modules, locks, clocks, memory figures.
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/heap.h"
#include "platform/lock.h"
#include "platform/module_loader.h"
#include "platform/process_memory.h"
#include "platform/utf.h"

// A real host (Orn::host): every service and module loading.
#include "host/host_language.h"
#include "host/loaded_module.h"
#include "host/orn_host.h"
#include "host/po_catalogue.h"
#include "host/test_service.h"
#include "host/wide_text.h"

// The inspection and the checks of orn-host inspect and orn-host check (Orn::check).
#include "host/check/module_checks.h"
#include "host/check/module_facts.h"

// A recording host for unit tests of modules (Orn::testhost).
#include "testhost/memory_services.h"
#include "testhost/pool_services.h"
#include "testhost/recording_services.h"
#include "testhost/settings_services.h"
#include "testhost/test_host.h"
#include "testhost/translator_services.h"

#endif  // ORN_ORN_H_
