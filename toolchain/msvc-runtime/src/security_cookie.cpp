// The /GS stack cookie: a value no attacker can know, placed before each protected frame's return
// address and checked on the way out.
#include <intrin.h>
#include <windows.h>

extern "C" {

#if defined(_WIN64)
uintptr_t __security_cookie = 0x00002B992DDFA232;
#else
uintptr_t __security_cookie = 0xBB40E64E;
#endif

void __cdecl __security_init_cookie() {
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    uintptr_t cookie = static_cast<uintptr_t>(counter.QuadPart) ^ GetCurrentProcessId() ^
                       (GetCurrentThreadId() << 16) ^ now.dwLowDateTime ^
                       reinterpret_cast<uintptr_t>(&cookie);
    __security_cookie = cookie == 0 ? 1 : cookie;
}

__declspec(noreturn) void __cdecl __report_gsfailure(uintptr_t /*cookie*/) {
    // The stack is not to be trusted: end the process at once, as the real runtime does.
    __fastfail(2);  // FAST_FAIL_STACK_COOKIE_CHECK_FAILURE
}

void __fastcall __security_check_cookie(uintptr_t cookie) {
    if (cookie != __security_cookie) {
        __report_gsfailure(cookie);
    }
}

}  // extern "C"
