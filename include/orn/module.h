// What a component module compiles against, in one include:
//   #include <orn/module.h>
// The object model and interface maps, the component and its classes, the host's services and
// the pointers that hold them, guarded memory, the pool binding, strings and containers, temp-file
// names and the translator. Nothing of a host: a module never links one. Link Orn::framework
// (orn_add_component does). Start with core/object.h (the object model) and core/component.h.
#ifndef ORN_MODULE_H_
#define ORN_MODULE_H_

// Object model, interface maps, name enumeration.
#include "core/interface_map.h"
#include "core/interface_names.h"
#include "core/object.h"
#include "core/orn_id.h"

// The component, its classes and its test operation; checks, teardown.
#include "core/check.h"
#include "core/class_factory.h"
#include "core/component.h"
#include "core/teardown.h"
#include "core/test_operation.h"

// Host services by name, and the pointers that hold them.
#include "core/host.h"
#include "core/service_ptr.h"

// Guarded memory.
#include "memory/out_of_memory.h"
#include "memory/ubrrealloc.h"

// The module's binding to the bucket pool.
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

#endif  // ORN_MODULE_H_
