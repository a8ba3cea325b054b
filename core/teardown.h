// The module's exit list: teardown actions run at unload, last registered first.
#ifndef ORN_CORE_TEARDOWN_H_
#define ORN_CORE_TEARDOWN_H_

// Objects built on first use register their teardown when they are built.
void registerTeardown(void (*action)());

#endif  // ORN_CORE_TEARDOWN_H_
