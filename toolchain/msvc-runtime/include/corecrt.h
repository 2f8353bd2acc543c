// Wine's corecrt.h, with what the real UCRT has that Wine's headers, written for building Wine,
// do not: a 64-bit time_t on x86 too, and the linkage macros Microsoft's headers use.
#pragma once

#ifndef _TIME_T_DEFINED
#define _TIME_T_DEFINED
typedef __int64 time_t;
#endif
#include_next <corecrt.h>
// Wine chooses the 32-bit time functions on x86; the UCRT's are the 64-bit ones.
#undef _USE_32BIT_TIME_T

// The multibyte conversion state, 8 bytes as the UCRT has it (Wine's is an int).
extern "C" typedef struct _Mbstatet {
    unsigned long _Wchar;
    unsigned short _Byte, _State;
} _Mbstatet;

#ifndef _CRTIMP2
#define _CRTIMP2
#endif
extern "C" _ACRTIMP __declspec(noreturn) void __cdecl _invalid_parameter_noinfo_noreturn(void);
#define _CRT_SECURE_INVALID_PARAMETER(expr) ::_invalid_parameter_noinfo_noreturn()
#define _PGLOBAL
#define _MRTIMP2
#define _CRT_SATELLITE_CODECVT_IDS
#define _CRT_SATELLITE_CODECVT_IDS_NOIMPORT
