// What the STL's separately compiled sources take from the runtime's internal header, and from
// Windows SDK headers newer than Wine's: the declarations they use, nothing more.
#pragma once

#include <stdlib.h>
#include <windows.h>

#define __PURE_APPDOMAIN_GLOBAL

// A heap block of the runtime's, freed when its owner goes.
template <typename _Ty>
class __crt_unique_heap_ptr {
public:
    __crt_unique_heap_ptr() noexcept = default;
    __crt_unique_heap_ptr(const __crt_unique_heap_ptr&) = delete;
    __crt_unique_heap_ptr& operator=(const __crt_unique_heap_ptr&) = delete;
    ~__crt_unique_heap_ptr() { free(_Ptr); }
    __crt_unique_heap_ptr& operator=(_Ty* _Other) noexcept {
        free(_Ptr);
        _Ptr = _Other;
        return *this;
    }
    explicit operator bool() const noexcept { return _Ptr != nullptr; }
    _Ty* get() const noexcept { return _Ptr; }

private:
    _Ty* _Ptr = nullptr;
};
#define _malloc_crt_t(_Ty, _Count) (static_cast<_Ty*>(malloc(sizeof(_Ty) * (_Count))))

extern "C" _ACRTIMP unsigned int __cdecl ___lc_codepage_func(void);

#ifndef SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
#define SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE 0x2
#endif

typedef struct _FILE_ID_INFO {
    ULONGLONG VolumeSerialNumber;
    struct {
        BYTE Identifier[16];
    } FileId;
} FILE_ID_INFO, *PFILE_ID_INFO;

typedef struct _FILE_DISPOSITION_INFO_EX {
    DWORD Flags;
} FILE_DISPOSITION_INFO_EX, *PFILE_DISPOSITION_INFO_EX;
#define FILE_DISPOSITION_FLAG_DO_NOT_DELETE 0x00000000
#define FILE_DISPOSITION_FLAG_DELETE 0x00000001
#define FILE_DISPOSITION_FLAG_POSIX_SEMANTICS 0x00000002
#define FILE_DISPOSITION_FLAG_FORCE_IMAGE_SECTION_CHECK 0x00000004
#define FILE_DISPOSITION_FLAG_ON_CLOSE 0x00000008
#define FILE_DISPOSITION_FLAG_IGNORE_READONLY_ATTRIBUTE 0x00000010

// Windows 11's; looked up at run time, with GetTempPathW in its place where it is missing.
extern "C" DWORD WINAPI GetTempPath2W(DWORD nBufferLength, LPWSTR lpBuffer);
