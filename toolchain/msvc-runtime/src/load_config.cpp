// The image's load configuration: the /GS cookie's address and, on x86, the table of safe
// exception handlers that the linker gathers (without it the image is marked as having none, and
// Windows would run no handler at all). The linker finds it as _load_config_used.
#include <windows.h>

extern "C" {

extern uintptr_t __security_cookie;
#if !defined(_WIN64)
extern PVOID __safe_se_handler_table[];
extern BYTE __safe_se_handler_count;
#endif

// The fields of IMAGE_LOAD_CONFIG_DIRECTORY up to the handler table, addresses as pointers so
// that the linker fills them in.
struct LoadConfiguration {
    DWORD Size;
    DWORD TimeDateStamp;
    WORD MajorVersion;
    WORD MinorVersion;
    DWORD GlobalFlagsClear;
    DWORD GlobalFlagsSet;
    DWORD CriticalSectionDefaultTimeout;
    SIZE_T DeCommitFreeBlockThreshold;
    SIZE_T DeCommitTotalFreeThreshold;
    void* LockPrefixTable;
    SIZE_T MaximumAllocationSize;
    SIZE_T VirtualMemoryThreshold;
#if defined(_WIN64)
    ULONGLONG ProcessAffinityMask;
    DWORD ProcessHeapFlags;
#else
    DWORD ProcessHeapFlags;
    DWORD ProcessAffinityMask;
#endif
    WORD CSDVersion;
    WORD DependentLoadFlags;
    void* EditList;
    void* SecurityCookie;
    void* SEHandlerTable;
    SIZE_T SEHandlerCount;
};

extern const LoadConfiguration _load_config_used = {
    sizeof(LoadConfiguration),
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    nullptr,
    0,
    0,
    0,
    0,
    0,
    0,
    nullptr,
    &__security_cookie,
#if defined(_WIN64)
    nullptr,
    0,
#else
    __safe_se_handler_table,
    reinterpret_cast<SIZE_T>(&__safe_se_handler_count),
#endif
};

}  // extern "C"
