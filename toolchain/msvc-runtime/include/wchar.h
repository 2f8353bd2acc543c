// Wine's wchar.h, with the UCRT's 8-byte mbstate_t (_Mbstatet, part of msvcp140's decorated
// names) in place of Wine's int, and the functions Microsoft's STL uses that it lacks.
#pragma once

#define mbstate_t __wine_mbstate_t
#define mbrlen __wine_mbrlen
#define mbrtowc __wine_mbrtowc
#define mbsrtowcs __wine_mbsrtowcs
#define wcrtomb __wine_wcrtomb
#define wcsrtombs __wine_wcsrtombs
#include_next <wchar.h>
#undef mbstate_t
#undef mbrlen
#undef mbrtowc
#undef mbsrtowcs
#undef wcrtomb
#undef wcsrtombs
#include <stdio.h>

extern "C" {
typedef _Mbstatet mbstate_t;

_ACRTIMP size_t __cdecl mbrlen(char const*, size_t, mbstate_t*);
_ACRTIMP size_t __cdecl mbrtowc(wchar_t*, char const*, size_t, mbstate_t*);
_ACRTIMP size_t __cdecl mbsrtowcs(wchar_t*, char const**, size_t, mbstate_t*);
_ACRTIMP size_t __cdecl wcrtomb(char*, wchar_t, mbstate_t*);
_ACRTIMP size_t __cdecl wcsrtombs(char*, wchar_t const**, size_t, mbstate_t*);
_ACRTIMP int __cdecl mbsinit(mbstate_t const*);

inline int __cdecl fwide(FILE*, int _Mode) {
    return _Mode;
}
inline long double __cdecl wcstold(wchar_t const* _String, wchar_t** _End) {
    return wcstod(_String, _End);
}
inline int __cdecl vfwscanf(FILE* _Stream, wchar_t const* _Format, va_list _Args) {
    return __stdio_common_vfwscanf(_CRT_INTERNAL_LOCAL_SCANF_OPTIONS, _Stream, _Format, nullptr,
                                   _Args);
}
inline int __cdecl vwscanf(wchar_t const* _Format, va_list _Args) {
    return vfwscanf(stdin, _Format, _Args);
}
inline int __cdecl vswscanf(wchar_t const* _Buffer, wchar_t const* _Format, va_list _Args) {
    return __stdio_common_vswscanf(_CRT_INTERNAL_LOCAL_SCANF_OPTIONS, _Buffer,
                                   static_cast<size_t>(-1), _Format, nullptr, _Args);
}
}
