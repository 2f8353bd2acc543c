// Wine's stdlib.h, as the UCRT declares it: div and ldiv are functions (Wine makes them macros
// for GCC's way of returning structures), atexit registers with the module's own list (the
// runtime's start-up part defines it), and quick exits are there.
#pragma once

#define atexit __wine_atexit
#define div __wine_div
#define ldiv __wine_ldiv
#include_next <stdlib.h>
#undef atexit
#undef div
#undef ldiv
#include <errno.h>

extern "C" {
_ACRTIMP unsigned int __cdecl _set_abort_behavior(unsigned int _Flags, unsigned int _Mask);
_ACRTIMP errno_t __cdecl _dupenv_s(char** _Buffer, size_t* _Count, char const* _Name);
int __cdecl atexit(void(__cdecl*)(void));
_ACRTIMP div_t __cdecl div(int, int);
_ACRTIMP ldiv_t __cdecl ldiv(long, long);
_ACRTIMP __declspec(noreturn) void __cdecl quick_exit(int);
_ACRTIMP int __cdecl _crt_at_quick_exit(void(__cdecl*)(void));
inline int __cdecl at_quick_exit(void(__cdecl* _Function)(void)) {
    return _crt_at_quick_exit(_Function);
}
}
