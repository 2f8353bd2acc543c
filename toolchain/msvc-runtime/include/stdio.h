// Wine's stdio.h, with the scanning functions Microsoft's STL uses that it lacks.
#pragma once
#include_next <stdio.h>

extern "C" {
_ACRTIMP errno_t __cdecl _get_stream_buffer_pointers(FILE* _Stream, char*** _Base, char*** _Pointer,
                                                     int** _Count);

inline int __cdecl vfscanf(FILE* _Stream, char const* _Format, va_list _Args) {
    return __stdio_common_vfscanf(_CRT_INTERNAL_LOCAL_SCANF_OPTIONS, _Stream, _Format, nullptr,
                                  _Args);
}
inline int __cdecl vscanf(char const* _Format, va_list _Args) {
    return vfscanf(stdin, _Format, _Args);
}
inline int __cdecl vsscanf(char const* _Buffer, char const* _Format, va_list _Args) {
    return __stdio_common_vsscanf(_CRT_INTERNAL_LOCAL_SCANF_OPTIONS, _Buffer,
                                  static_cast<size_t>(-1), _Format, nullptr, _Args);
}
}
