#include "platform/heap.h"

// No per-process address-space limit that wine honours; tests use a test heap instead.
bool platformLimitAddressSpace(uint64_t) { return false; }
