/* The image's TLS directory, and thread-safe local statics as the Microsoft ABI compiles them:
   the compiler checks a per-thread epoch against the guard, and calls _Init_thread_header to
   claim the initialisation (waiting while another thread runs it), _Init_thread_footer when it
   completed and _Init_thread_abort when it threw. One lock and condition variable per image. */
typedef struct {
  unsigned long start, end, index, callbacks, zeroFill, characteristics;
} OrnTlsDirectory;
typedef void(__stdcall* OrnTlsCallback)(void*, unsigned long, void*);

unsigned long _tls_index = 0;
#pragma section(".tls", read, write)
#pragma section(".tls$ZZZ", read, write)
#pragma section(".CRT$XLA", long, read)
#pragma section(".CRT$XLZ", long, read)
__declspec(allocate(".tls")) char _tls_start = 0;
__declspec(allocate(".tls$ZZZ")) char _tls_end = 0;
__declspec(allocate(".CRT$XLA")) OrnTlsCallback __xl_a = 0;
__declspec(allocate(".CRT$XLZ")) OrnTlsCallback __xl_z = 0;
/* The callbacks (.CRT$XL?, sorted between the markers) start after __xl_a. */
const OrnTlsDirectory _tls_used = {(unsigned long)&_tls_start,
                                   (unsigned long)&_tls_end,
                                   (unsigned long)&_tls_index,
                                   (unsigned long)(&__xl_a + 1),
                                   0,
                                   0};
/* fs:[0x2c] holds the thread's TLS array. */
__asm__(".globl __tls_array\n.set __tls_array, 44\n");

typedef struct {
  void* ptr;
} OrnSrwLock, OrnConditionVariable;
__declspec(dllimport) void __stdcall AcquireSRWLockExclusive(OrnSrwLock*);
__declspec(dllimport) void __stdcall ReleaseSRWLockExclusive(OrnSrwLock*);
__declspec(dllimport) int __stdcall SleepConditionVariableSRW(OrnConditionVariable*, OrnSrwLock*,
                                                              unsigned long, unsigned long);
__declspec(dllimport) void __stdcall WakeAllConditionVariable(OrnConditionVariable*);

static OrnSrwLock init_lock;
static OrnConditionVariable init_done;

enum { kUninitialised = 0, kBeingInitialised = -1 };
#define ORN_EPOCH_START (-2147483647 - 1)
int _Init_global_epoch = ORN_EPOCH_START;
__declspec(thread) int _Init_thread_epoch = ORN_EPOCH_START;

void __cdecl _Init_thread_header(int* guard) {
  AcquireSRWLockExclusive(&init_lock);
  for (;;) {
    if (*guard == kUninitialised) {
      *guard = kBeingInitialised;  // this thread runs the initialiser
      break;
    }
    if (*guard != kBeingInitialised) {
      _Init_thread_epoch = _Init_global_epoch;  // done by another thread
      break;
    }
    SleepConditionVariableSRW(&init_done, &init_lock, 0xFFFFFFFFu, 0);
  }
  ReleaseSRWLockExclusive(&init_lock);
}

void __cdecl _Init_thread_abort(int* guard) {
  AcquireSRWLockExclusive(&init_lock);
  *guard = kUninitialised;
  ReleaseSRWLockExclusive(&init_lock);
  WakeAllConditionVariable(&init_done);
}

void __cdecl _Init_thread_footer(int* guard) {
  AcquireSRWLockExclusive(&init_lock);
  ++_Init_global_epoch;
  *guard = _Init_global_epoch;
  _Init_thread_epoch = _Init_global_epoch;
  ReleaseSRWLockExclusive(&init_lock);
  WakeAllConditionVariable(&init_done);
}
