// Wine's time.h, with the UCRT's timespec and the functions that fill it.
#pragma once
#include_next <time.h>

extern "C" {
struct _timespec32 {
    __time32_t tv_sec;
    long tv_nsec;
};
struct _timespec64 {
    __time64_t tv_sec;
    long tv_nsec;
};
struct timespec {
    time_t tv_sec;
    long tv_nsec;
};
_ACRTIMP errno_t __cdecl _gmtime64_s(tm*, __time64_t const*);
_ACRTIMP int __cdecl _timespec32_get(_timespec32*, int);
_ACRTIMP int __cdecl _timespec64_get(_timespec64*, int);
inline errno_t __cdecl localtime_s(tm* _Tm, time_t const* _Time) {
    return _localtime64_s(_Tm, _Time);
}
inline errno_t __cdecl gmtime_s(tm* _Tm, time_t const* _Time) {
    return _gmtime64_s(_Tm, _Time);
}
inline int __cdecl timespec_get(timespec* _Ts, int _Base) {
    return _timespec64_get(reinterpret_cast<_timespec64*>(_Ts), _Base);
}
}
#ifndef TIME_UTC
#define TIME_UTC 1
#endif
