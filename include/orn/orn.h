// The whole public API in one include, for code written before it was split:
//   #include <orn/orn.h>
// <orn/module.h> for a module, <orn/host.h> for a host, <orn/testhost.h> for the unit tests of a
// module; those three and what they include are the public API, and every other header is an
// implementation detail of its folder.
#ifndef ORN_ORN_H_
#define ORN_ORN_H_

#include <orn/host.h>
#include <orn/module.h>
#include <orn/testhost.h>

#endif  // ORN_ORN_H_
