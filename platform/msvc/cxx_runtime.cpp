// The C++ run-time glue of the Microsoft ABI build, over msvcrt.dll: throwing, catching and
// unwinding are msvcrt.dll's (_CxxThrowException, __CxxFrameHandler3); this file gives what
// libstdc++ would take from its own Itanium run-time: terminate and its handler, the count of
// uncaught exceptions, std::type_info's destructor and the table every type descriptor points at.
#include <cstdlib>
#include <cstring>
#include <exception>
#include <typeinfo>

extern "C" {
__declspec(dllimport) int __cdecl __uncaught_exception();
}

namespace {
std::terminate_handler terminateHandler = nullptr;
}  // namespace

namespace std {

terminate_handler set_terminate(terminate_handler handler) noexcept {
  return __atomic_exchange_n(&terminateHandler, handler, __ATOMIC_ACQ_REL);
}

terminate_handler get_terminate() noexcept {
  return __atomic_load_n(&terminateHandler, __ATOMIC_ACQUIRE);
}

void terminate() noexcept {
  if (terminate_handler handler = get_terminate()) {
    try {
      handler();
    } catch (...) {
    }
  }
  std::abort();
}

bool uncaught_exception() noexcept { return __uncaught_exception(); }

// msvcrt.dll knows only whether one exception is in flight.
int uncaught_exceptions() noexcept { return __uncaught_exception() ? 1 : 0; }

type_info::~type_info() {}

bad_cast::~bad_cast() noexcept {}
const char* bad_cast::what() const noexcept { return "std::bad_cast"; }
bad_typeid::~bad_typeid() noexcept {}
const char* bad_typeid::what() const noexcept { return "std::bad_typeid"; }

}  // namespace std

// The compiler calls it when an exception leaves a noexcept function.
extern "C" void __cdecl __std_terminate() { std::terminate(); }

// The table of the compiler's type descriptors (".?AV...", the RTTI and the catch tables); only
// its destructor slot exists, and nothing calls it.
extern "C" void __fastcall orn_type_descriptor_destructor(void*) {}
extern "C" const void* const orn_type_descriptor_table[1] __asm__("??_7type_info@@6B@") = {
    reinterpret_cast<const void*>(&orn_type_descriptor_destructor)};

// libstdc++'s <cxxabi.h> interface as GoogleTest uses it: no demangler here, so the caller keeps
// the name it has (msvcrt.dll's type_info::name is already undecorated).
namespace __cxxabiv1 {
extern "C" char* __cxa_demangle(const char*, char*, size_t*, int* status) {
  if (status) *status = -2;
  return nullptr;
}
}  // namespace __cxxabiv1
