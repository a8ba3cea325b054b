// <cxxabi.h> for the Microsoft C++ ABI build: libstdc++'s declares the Itanium run-time's type_info
// classes and exception calls, which do not exist here. What a program may use is the demangler
// entry (GoogleTest does); it leaves every name as it is. libstdc++'s own sources get the original.
#ifndef ORN_STDCXX_BUILD
#ifndef _CXXABI_H
#define _CXXABI_H 1

#pragma GCC system_header

#include <bits/cxxabi_forced.h>
#include <stddef.h>

namespace __cxxabiv1 {
extern "C" char* __cxa_demangle(const char* mangled, char* buffer, size_t* length, int* status);
}  // namespace __cxxabiv1

namespace abi = __cxxabiv1;

#endif
#else
#include_next <cxxabi.h>
#endif
