/* A host that owns no C++ ABI: it loads a component module, calls EntryPoint, and from then on
   calls operations only by their slot numbers in the Microsoft layout (thiscall function pointers
   read from each view's table) and reads fields by offset. It offers the module a host object and
   a shared pool of its own, laid out field by field the same way.

     abi_c_host MODULE            every step must hold; exit status 0 only then
     abi_c_host --record MODULE   against a module of another ABI: reports the first step where
                                  the module parts from the Microsoft layout, exit status 0

   The Microsoft layout, for 4-byte pointers: an interface view is {own table, virtual-base
   pointer}; the virtual-base pointer leads to a table of offsets whose second entry, added to the
   pointer's own address, gives the IOrnUnknown part {table, reference count}. The IOrnUnknown
   table is: scalar deleting destructor, addRef, release, refCount, queryInterface, className. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
// clang-format off
#include <windows.h>
// clang-format on

#define THISCALL __attribute__((thiscall))

/* ---- Slots, as the Microsoft layout numbers them. */
enum { kUnkDestructor, kUnkAddRef, kUnkRelease, kUnkRefCount, kUnkQueryInterface, kUnkClassName };
enum { kCompInitialize, kCompTerminate, kCompCreateInstance, kCompBuildStamp, kCompDescriptor };
enum {
  kIntIdentifier = 2,
  kIntName,
  kIntBuildStamp,
  kIntClassCount,
  kIntFirstClass,
  kIntNextClass,
  kIntClassNameOf,
  kIntProbe,
  kIntRunTests
};
enum { kBinVersion, kBinData, kBinSize };
enum { kHostGetService = 6, kHostCode = 9, kHostAddRefHook, kHostReleaseHook, kHostSlots };
enum { kPoolPurge, kPoolAllocate, kPoolDeallocate };

/* ---- Reporting. */
static int recordOnly;
static int failures;
static int steps;

static void step(int ok, const char* what, const char* detail) {
  ++steps;
  printf("[%s] %s%s%s\n", ok ? " ok " : "FAIL", what, detail && *detail ? ": " : "",
         detail ? detail : "");
  fflush(stdout);
  if (ok) return;
  ++failures;
  if (recordOnly) {
    printf("the module parts from the Microsoft layout at this step (%d)\n", steps);
    fflush(stdout);
    exit(0);
  }
}

/* ---- Reading views by offset. */
typedef void* (*AnySlot)(void);
static void* const* tableOf(const void* view) { return *(void* const* const*)view; }
static void* slot(const void* view, int index) { return tableOf(view)[index]; }

/* The IOrnUnknown part of an interface view, through its virtual-base pointer; null (and a failed
   step) when the word after the table is no such pointer. */
static char* unknownOf(const char* what, void* view) {
  const char* vbptr = (const char*)view + sizeof(void*);
  const int32_t* offsets = *(const int32_t* const*)vbptr;
  char detail[160];
  MEMORY_BASIC_INFORMATION info;
  int readable = offsets && VirtualQuery(offsets, &info, sizeof info) == sizeof info &&
                 info.State == MEM_COMMIT && !(info.Protect & (PAGE_NOACCESS | PAGE_GUARD));
  int32_t offset = readable ? offsets[1] : 0;
  int plausible = readable && offsets[0] == -(int32_t)sizeof(void*) && offset > 0 && offset < 4096;
  snprintf(detail, sizeof detail, "virtual-base offsets at %p, IOrnUnknown part at +%d", offsets,
           (int)offset);
  step(plausible, what, detail);
  return plausible ? (char*)vbptr + offset : NULL;
}

static int32_t countField(const char* unknown) { return *(const int32_t*)(unknown + 4); }

typedef void(THISCALL* VoidFn)(void*);
typedef int(THISCALL* IntFn)(void*);
typedef _Bool(THISCALL* BoolFn)(void*);
typedef const char*(THISCALL* TextFn)(void*);
typedef void*(THISCALL* PtrFn)(void*);
typedef _Bool(THISCALL* QueryFn)(void*, const char*, void**, int);

static void addRef(char* unknown) { ((VoidFn)slot(unknown, kUnkAddRef))(unknown); }
static void release(char* unknown) { ((VoidFn)slot(unknown, kUnkRelease))(unknown); }
static int refCount(char* unknown) { return ((IntFn)slot(unknown, kUnkRefCount))(unknown); }
static const char* className(char* unknown) {
  return ((TextFn)slot(unknown, kUnkClassName))(unknown);
}
static void* query(char* unknown, const char* name) {
  void* view = NULL;
  if (!((QueryFn)slot(unknown, kUnkQueryInterface))(unknown, name, &view, 0)) return NULL;
  return view;
}

/* ---- The framework's plain records, by offset: OrnID {table, data1, data2, data3, data4[8]},
   OrnString {text, capacity}. */
typedef struct {
  void* table;
  uint32_t data1;
  uint16_t data2;
  uint16_t data3;
  uint8_t data4[8];
} OrnIdRecord;
typedef struct {
  char* text;
  int32_t capacity;
} OrnStringRecord;

static void* idTable[1];
static const OrnIdRecord exampleCounterId = {
    idTable, 0x6F726E31, 0x6578, 0x616D, {0x63, 0x6F, 0x75, 0x6E, 0x74, 0x65, 0x72, 0x01}};
static const OrnIdRecord templateId = {
    idTable, 0x6F726E30, 0x7465, 0x6D70, {0x6C, 0x61, 0x74, 0x65, 0x00, 0x00, 0x00, 0x01}};
static int sameId(const OrnIdRecord* a, const OrnIdRecord* b) {
  return a->data1 == b->data1 && a->data2 == b->data2 && a->data3 == b->data3 &&
         memcmp(a->data4, b->data4, 8) == 0;
}

/* ---- The host object: an IOrnHost view {own table, virtual-base pointer} followed by its
   IOrnUnknown part {table, count}; the module counts references to itself through the hooks. */
typedef struct {
  void* const* hostTable;    /* +0 */
  const int32_t* offsets;    /* +4: {-4, +4} */
  void* const* unknownTable; /* +8: the IOrnUnknown part */
  int32_t refCountField;     /* +12 */
  int hookCalls;
  int serviceRequests;
  int poolRequests;
} CHost;
static const int32_t hostOffsets[2] = {-4, 4};

typedef struct {
  void* const* ownTable;      /* +0: purge, allocate, deallocate */
  const int32_t* offsets;     /* +4: {-4, IOrnUnknown part, IBucketMemoryPool part} */
  int32_t bucketCount;        /* +8 */
  void** buckets;             /* +12 */
  int32_t granularity;        /* +16 */
  int32_t linearLimit;        /* +20 */
  int32_t maxPooledSize;      /* +24 */
  void* const* unknownTable;  /* +28: the IOrnUnknown part */
  int32_t refCountField;      /* +32 */
  const int32_t* viewOffsets; /* +36: the IBucketMemoryPool view {virtual-base pointer} */
  int allocations;
  int deallocations;
} CPool;
static const int32_t poolOffsets[3] = {-4, 28 - 4, 36 - 4};
static const int32_t poolViewOffsets[2] = {0, 28 - 36};

static CHost host;
static CPool pool;

static CHost* hostOfUnknown(void* self) { return (CHost*)((char*)self - 8); }
static CPool* poolOfUnknown(void* self) { return (CPool*)((char*)self - 28); }

static void* THISCALL hostDestroy(void* self, unsigned flags) {
  (void)flags;
  return self;
}
static void THISCALL hostAddRef(void* self) { ++hostOfUnknown(self)->refCountField; }
static void THISCALL hostRelease(void* self) { --hostOfUnknown(self)->refCountField; }
static int THISCALL hostRefCount(void* self) { return hostOfUnknown(self)->refCountField; }
static _Bool THISCALL hostQuery(void* self, const char* name, void** out, int options) {
  (void)options;
  CHost* h = hostOfUnknown(self);
  if (!name) return 0;
  if (strcmp(name, "IOrnUnknown") == 0) {
    *out = &h->unknownTable;
    return 1;
  }
  if (strcmp(name, "IOrnHost") == 0 || strcmp(name, "AbiCHost") == 0) {
    *out = h;
    return 1;
  }
  *out = NULL;
  return 0;
}
static const char* THISCALL hostClassName(void* self) {
  (void)self;
  return "AbiCHost";
}
static void* const hostUnknownTable[] = {(void*)hostDestroy, (void*)hostAddRef,
                                         (void*)hostRelease, (void*)hostRefCount,
                                         (void*)hostQuery,   (void*)hostClassName};

static void THISCALL hostReserved(void* self) { (void)self; }
/* Only the shared pool is offered, as an IBucketMemoryPool view; the caller takes its own
   reference. */
static int THISCALL hostGetService(void* self, const OrnStringRecord* name, void** out) {
  CHost* h = (CHost*)self;
  ++h->serviceRequests;
  *out = NULL;
  if (!name || !name->text || strcmp(name->text, "IBucketMemoryPool") != 0) return 0;
  ++h->poolRequests;
  *out = &pool.viewOffsets;
  return 1;
}
static int THISCALL hostCode(void* self) {
  (void)self;
  return 'C';
}
static void THISCALL hostAddRefHook(void* self, int* count) {
  ++((CHost*)self)->hookCalls;
  ++*count;
}
static _Bool THISCALL hostReleaseHook(void* self, int* count) {
  ++((CHost*)self)->hookCalls;
  return --*count == 0;
}
static void* hostTable[kHostSlots];

/* The pool: blocks from the C heap, with capacities rounded to the granularity. */
static void* THISCALL poolDestroy(void* self, unsigned flags) {
  (void)flags;
  return self;
}
static void THISCALL poolAddRef(void* self) { ++poolOfUnknown(self)->refCountField; }
static void THISCALL poolRelease(void* self) { --poolOfUnknown(self)->refCountField; }
static int THISCALL poolRefCount(void* self) { return poolOfUnknown(self)->refCountField; }
static _Bool THISCALL poolQuery(void* self, const char* name, void** out, int options) {
  (void)options;
  CPool* p = poolOfUnknown(self);
  if (!name) return 0;
  if (strcmp(name, "BucketMemoryPool") == 0) {
    *out = p;
  } else if (strcmp(name, "IOrnUnknown") == 0) {
    *out = &p->unknownTable;
  } else if (strcmp(name, "IBucketMemoryPool") == 0) {
    *out = &p->viewOffsets;
  } else {
    *out = NULL;
    return 0;
  }
  return 1;
}
static const char* THISCALL poolClassName(void* self) {
  (void)self;
  return "BucketMemoryPool";
}
static void* const poolUnknownTable[] = {(void*)poolDestroy, (void*)poolAddRef,
                                         (void*)poolRelease, (void*)poolRefCount,
                                         (void*)poolQuery,   (void*)poolClassName};
static _Bool THISCALL poolPurge(void* self) {
  (void)self;
  return 1;
}
static void* THISCALL poolAllocate(void* self, int32_t size, int32_t* capacity) {
  CPool* p = (CPool*)self;
  int32_t rounded =
      size <= 0 ? p->granularity : (size + p->granularity - 1) / p->granularity * p->granularity;
  ++p->allocations;
  if (capacity) *capacity = rounded;
  return malloc((size_t)rounded);
}
static _Bool THISCALL poolDeallocate(void* self, int32_t capacity, void** block) {
  (void)capacity;
  ++((CPool*)self)->deallocations;
  free(*block);
  *block = NULL;
  return 1;
}
static void* const poolOwnTable[] = {(void*)poolPurge, (void*)poolAllocate, (void*)poolDeallocate};

static void setUp(void) {
  for (int i = 0; i < kHostSlots; ++i) hostTable[i] = (void*)hostReserved;
  hostTable[kHostGetService] = (void*)hostGetService;
  hostTable[kHostCode] = (void*)hostCode;
  hostTable[kHostAddRefHook] = (void*)hostAddRefHook;
  hostTable[kHostReleaseHook] = (void*)hostReleaseHook;
  host.hostTable = hostTable;
  host.offsets = hostOffsets;
  host.unknownTable = hostUnknownTable;
  host.refCountField = 1;
  pool.ownTable = poolOwnTable;
  pool.offsets = poolOffsets;
  pool.bucketCount = 2050;
  pool.buckets = NULL;
  pool.granularity = 4;
  pool.linearLimit = 8192;
  pool.maxPooledSize = 262144;
  pool.unknownTable = poolUnknownTable;
  pool.refCountField = 1;
  pool.viewOffsets = poolViewOffsets;
}

/* ---- The run. */
typedef int(__cdecl* EntryFn)(int*, void**);

static int run(const char* path) {
  char detail[256];
  wchar_t wide[1024];
  if (!MultiByteToWideChar(CP_UTF8, 0, path, -1, wide, 1024)) return 2;
  HMODULE module = LoadLibraryW(wide);
  if (!module) {
    printf("cannot load %s (error %lu)\n", path, GetLastError());
    return 2;
  }
  EntryFn entry = (EntryFn)(void*)GetProcAddress(module, "EntryPoint");
  if (!entry) {
    printf("%s has no EntryPoint\n", path);
    return 2;
  }
  int version = 0;
  void* component = NULL;
  int result = entry(&version, &component);
  snprintf(detail, sizeof detail, "result %d, version %d", result, version);
  step(result == 1 && version == 100 && component, "EntryPoint gives a component", detail);

  char* unknown = unknownOf("the component's IOrnUnknown part", component);
  if (!unknown) return 1;
  snprintf(detail, sizeof detail, "slot 3 %d, field %d", refCount(unknown), countField(unknown));
  step(refCount(unknown) == 0 && countField(unknown) == 0, "count 0 at EntryPoint", detail);
  addRef(unknown);
  addRef(unknown);
  release(unknown);
  snprintf(detail, sizeof detail, "slot 3 %d, field %d", refCount(unknown), countField(unknown));
  step(refCount(unknown) == 1 && countField(unknown) == 1, "addRef (slot 1) and release (slot 2)",
       detail);
  const char* name = className(unknown);
  step(name && strcmp(name, "OrnBaseComponent") == 0, "className (slot 5)", name);
  step(query(unknown, "IOrnUnknown") == unknown, "queryInterface (slot 4) IOrnUnknown", "");
  step(query(unknown, "IOrnComponent") == component, "queryInterface IOrnComponent", "");
  step(query(unknown, "iornComponent") == NULL && query(unknown, "IOrnNothing") == NULL,
       "unknown and wrong-case names are refused", "");

  const char* stamp = ((TextFn)slot(component, kCompBuildStamp))(component);
  step(stamp && *stamp, "IOrnComponent buildStamp (slot 3)", stamp);
  void* internal = query(unknown, "IOrnCompInternal");
  step(internal != NULL, "queryInterface IOrnCompInternal", "");
  if (!internal) return 1;
  step(unknownOf("IOrnCompInternal's IOrnUnknown part", internal) == unknown,
       "one IOrnUnknown part for both views", "");
  const char* moduleName = ((TextFn)slot(internal, kIntName))(internal);
  step(moduleName && strcmp(moduleName, "component_template") == 0, "name (slot 3)", moduleName);
  const char* internalStamp = ((TextFn)slot(internal, kIntBuildStamp))(internal);
  step(internalStamp && stamp && strcmp(internalStamp, stamp) == 0, "buildStamp (slot 4)",
       internalStamp);
  const OrnIdRecord* id = (const OrnIdRecord*)((PtrFn)slot(internal, kIntIdentifier))(internal);
  snprintf(detail, sizeof detail, "%08lx-%04x-%04x", id ? (unsigned long)id->data1 : 0UL,
           id ? id->data2 : 0, id ? id->data3 : 0);
  step(id && sameId(id, &templateId), "identifier (slot 2)", detail);
  step(((BoolFn)slot(internal, kIntProbe))(internal), "probe (slot 9)", "");

  void* descriptor = ((PtrFn)slot(component, kCompDescriptor))(component);
  step(descriptor != NULL, "descriptor (slot 4)", "");
  if (!descriptor) return 1;
  int descriptorVersion = ((IntFn)slot(descriptor, kBinVersion))(descriptor);
  int descriptorSize = ((IntFn)slot(descriptor, kBinSize))(descriptor);
  const uint8_t* bytes = (const uint8_t*)((PtrFn)slot(descriptor, kBinData))(descriptor);
  snprintf(detail, sizeof detail, "version %d, %d bytes, begins %.4s", descriptorVersion,
           descriptorSize, bytes ? (const char*)bytes : "");
  step(descriptorVersion == 1 && descriptorSize == 16 && bytes && memcmp(bytes, "ORN1", 4) == 0,
       "descriptor version (0), data (1), size (2)", detail);
  char* descriptorUnknown = unknownOf("the descriptor's IOrnUnknown part", descriptor);
  if (!descriptorUnknown) return 1;
  name = className(descriptorUnknown);
  step(name && strcmp(name, "OrnClcBinary") == 0, "descriptor className", name);

  /* The host: its hooks count references from now on; the module takes the host's pool. */
  setUp();
  ((void(THISCALL*)(void*, void*))slot(component, kCompInitialize))(component, &host);
  int hooksBefore = host.hookCalls;
  addRef(unknown);
  snprintf(detail, sizeof detail, "hook calls %d -> %d, count %d", hooksBefore, host.hookCalls,
           countField(unknown));
  step(host.hookCalls == hooksBefore + 1 && countField(unknown) == 2,
       "initialize (slot 0) attaches the host: addRef runs addRefHook (slot 10)", detail);
  release(unknown);
  step(host.hookCalls == hooksBefore + 2 && countField(unknown) == 1,
       "release runs releaseHook (slot 11)", "");
  /* The test operation reports through services it asks the host for; the module looks for a
     shared pool after some hundred allocations from its own, which the reports make. */
  for (int round = 0; round < 400 && host.poolRequests == 0; ++round) {
    ((void(THISCALL*)(void*, void*))slot(internal, kIntRunTests))(internal, NULL);
  }
  snprintf(detail, sizeof detail, "%d service requests, %d for the pool", host.serviceRequests,
           host.poolRequests);
  step(host.serviceRequests > 0 && host.poolRequests > 0,
       "runTests (slot 10) asks the host for services (slot 6), the pool among them", detail);
  int allocationsBefore = pool.allocations;
  int deallocationsBefore = pool.deallocations;
  for (int round = 0; round < 5; ++round) {
    ((void(THISCALL*)(void*, void*))slot(internal, kIntRunTests))(internal, NULL);
  }
  snprintf(detail, sizeof detail, "%d allocations, %d deallocations", pool.allocations,
           pool.deallocations);
  step(pool.allocations > allocationsBefore && pool.deallocations > deallocationsBefore,
       "from then on the module allocates (slot 1) and frees (slot 2) through the host's pool",
       detail);

  /* The class walk through IOrnCompInternal, and one object made by the component. */
  int classes = ((IntFn)slot(internal, kIntClassCount))(internal);
  snprintf(detail, sizeof detail, "%d", classes);
  step(classes == 1, "classCount (slot 5)", detail);
  OrnIdRecord classId;
  memset(&classId, 0, sizeof classId);
  classId.table = idTable;
  _Bool first =
      ((_Bool(THISCALL*)(void*, OrnIdRecord*))slot(internal, kIntFirstClass))(internal, &classId);
  step(first && sameId(&classId, &exampleCounterId), "firstClass (slot 6)", "");
  const char* exampleName = ((const char*(THISCALL*)(void*, const OrnIdRecord*))slot(
      internal, kIntClassNameOf))(internal, &classId);
  step(exampleName && strcmp(exampleName, "ExampleCounter") == 0, "classNameOf (slot 8)",
       exampleName);
  OrnIdRecord after = classId;
  step(!((_Bool(THISCALL*)(void*, OrnIdRecord*))slot(internal, kIntNextClass))(internal, &after),
       "nextClass (slot 7) ends the walk", "");
  void* object = NULL;
  int made = ((int(THISCALL*)(void*, const OrnIdRecord*, void**))slot(
      component, kCompCreateInstance))(component, &classId, &object);
  step(made == 1 && object, "createInstance (slot 2)", "");
  if (!object) return 1;
  char* objectUnknown = (char*)object;
  name = className(objectUnknown);
  step(name && strcmp(name, "ExampleCounter") == 0 && countField(objectUnknown) == 0,
       "the object is an ExampleCounter at count 0", name);
  addRef(objectUnknown);
  step(refCount(objectUnknown) == 1, "its addRef counts", "");
  release(objectUnknown);
  ((VoidFn)slot(component, kCompTerminate))(component);
  step(1, "terminate (slot 1)", "");
  step(FreeLibrary(module) != 0, "FreeLibrary", "");
  snprintf(detail, sizeof detail, "host count %d, pool count %d", host.refCountField,
           pool.refCountField);
  step(host.refCountField == 1 && pool.refCountField == 2,
       "the host's references are given back; the module keeps its one pool reference", detail);
  return failures ? 1 : 0;
}

int main(int argc, char** argv) {
  int first = 1;
  if (argc > 1 && strcmp(argv[1], "--record") == 0) {
    recordOnly = 1;
    first = 2;
  }
  if (argc != first + 1) {
    fprintf(stderr, "usage: abi_c_host [--record] MODULE\n");
    return 2;
  }
  int status = run(argv[first]);
  printf("%d steps, %d failed\n", steps, failures);
  if (recordOnly) {
    printf(failures ? "" : "the module follows the Microsoft layout at every step\n");
    return status == 2 ? 2 : 0;
  }
  return status;
}
