#include <sys/resource.h>

#include "platform/heap.h"

bool platformLimitAddressSpace(uint64_t bytes) {
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) != 0) return false;
  limit.rlim_cur = static_cast<rlim_t>(bytes);
  return setrlimit(RLIMIT_AS, &limit) == 0;
}
