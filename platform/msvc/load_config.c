/* The load configuration with the SafeSEH handler table that lld-link builds
   (__safe_se_handler_table, __safe_se_handler_count): the loader dispatches exceptions only to
   handlers listed there, msvcrt.dll's C++ frame handler among them. */
extern void* __safe_se_handler_table[];
extern unsigned char __safe_se_handler_count;
typedef struct {
  unsigned long Size, TimeDateStamp;
  unsigned short MajorVersion, MinorVersion;
  unsigned long GlobalFlagsClear, GlobalFlagsSet, CriticalSectionDefaultTimeout,
      DeCommitFreeBlockThreshold, DeCommitTotalFreeThreshold, LockPrefixTable,
      MaximumAllocationSize, VirtualMemoryThreshold, ProcessHeapFlags, ProcessAffinityMask;
  unsigned short CSDVersion, DependentLoadFlags;
  unsigned long EditList, SecurityCookie, SEHandlerTable, SEHandlerCount;
} OrnLoadConfig32;
const OrnLoadConfig32 _load_config_used = {sizeof(OrnLoadConfig32),
                                           0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                           (unsigned long)__safe_se_handler_table,
                                           (unsigned long)&__safe_se_handler_count};
