// The part of MSVC's vcruntime.h that Microsoft's STL builds on: the runtime's linkage, calling
// conventions, packing and the basic types. Written for this project from the ABI it describes.
#pragma once
#define _VCRUNTIME_H

#include <corecrt.h>
#include <sal.h>
#include <vadefs.h>

#define _VCRT_COMPILER_PREPROCESSOR 1
#define _CRT_PACKING 8
#define _VCRTIMP __declspec(dllimport)
#define _CRTIMP2_IMPORT __declspec(dllimport)
#define _VCRT_NOALIAS __declspec(noalias)
#define _VCRT_RESTRICT __declspec(restrict)
#define _VCRT_ALLOCATOR __declspec(allocator)
#define _VCRT_JIT_INTRINSIC
#define __CLRCALL_PURE_OR_CDECL __cdecl
#define __CLRCALL_OR_CDECL __cdecl
#define __CLR_OR_THIS_CALL
#define __CRTDECL __CLRCALL_PURE_OR_CDECL
#define _CRT_BEGIN_C_HEADER __pragma(pack(push, _CRT_PACKING)) extern "C" {
#define _CRT_END_C_HEADER \
    }                     \
    __pragma(pack(pop))
#define _CRT_STRINGIZE_(x) #x
#define _CRT_STRINGIZE(x) _CRT_STRINGIZE_(x)
#define _CRT_WIDE_(s) L##s
#define _CRT_WIDE(s) _CRT_WIDE_(s)
#define _CRT_CONCATENATE_(a, b) a##b
#define _CRT_CONCATENATE(a, b) _CRT_CONCATENATE_(a, b)
#define _CRT_UNPARENTHESIZE_(...) __VA_ARGS__
#define _CRT_UNPARENTHESIZE(...) _CRT_UNPARENTHESIZE_ __VA_ARGS__
#define _CRT_DEPRECATE_TEXT(_Text) __declspec(deprecated(_Text))
#define _CRT_INSECURE_DEPRECATE(_Replacement)
#define _CRT_INSECURE_DEPRECATE_MEMORY(_Replacement)
#define _CRT_GUARDOVERFLOW
#define _CRT_HYBRIDPATCHABLE
#define _CRT_SECURE_CPP_NOTHROW throw()
#define _VCRUNTIME_DISABLED_WARNINGS
#define _MSVC_CONSTEXPR
#define _CRT_SATELLITE_1
#define _CRT_SATELLITE_2
#ifndef _HAS_EXCEPTIONS
#define _HAS_EXCEPTIONS 1
#endif
#define _HAS_NODISCARD 1
#define _NODISCARD [[nodiscard]]

// The language version the STL is built for, from the compiler's.
#ifdef _MSVC_LANG
#define _STL_LANG _MSVC_LANG
#else
#define _STL_LANG __cplusplus
#endif
#ifndef _HAS_CXX17
#define _HAS_CXX17 (_STL_LANG > 201402L)
#endif
#ifndef _HAS_CXX20
#define _HAS_CXX20 (_STL_LANG > 201703L)
#endif
#ifndef _HAS_CXX23
#define _HAS_CXX23 (_STL_LANG > 202002L)
#endif

typedef bool __vcrt_bool;

extern "C" {
extern uintptr_t __security_cookie;
void __cdecl __security_init_cookie(void);
void __fastcall __security_check_cookie(uintptr_t _StackCookie);
__declspec(noreturn) void __cdecl __report_gsfailure(uintptr_t _StackCookie);
}
