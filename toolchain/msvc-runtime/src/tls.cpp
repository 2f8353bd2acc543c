// The module's TLS directory: where its thread-local data starts and ends, and its slot index,
// which the loader fills in. The linker points the image's TLS directory at _tls_used.
#include <windows.h>

#pragma section(".tls", long, read, write)
#pragma section(".tls$ZZZ", long, read, write)
#pragma section(".CRT$XLA", long, read)
#pragma section(".CRT$XLZ", long, read)

extern "C" {

ULONG _tls_index = 0;
__declspec(allocate(".tls")) char _tls_start = 0;
__declspec(allocate(".tls$ZZZ")) char _tls_end = 0;
__declspec(allocate(".CRT$XLA")) PIMAGE_TLS_CALLBACK __xl_a = nullptr;
__declspec(allocate(".CRT$XLZ")) PIMAGE_TLS_CALLBACK __xl_z = nullptr;

extern const IMAGE_TLS_DIRECTORY _tls_used = {
    reinterpret_cast<ULONG_PTR>(&_tls_start),
    reinterpret_cast<ULONG_PTR>(&_tls_end),
    reinterpret_cast<ULONG_PTR>(&_tls_index),
    reinterpret_cast<ULONG_PTR>(&__xl_a + 1),
    0,
    0,
};

}  // extern "C"

#if defined(_M_IX86)
// x86 code finds the thread's TLS slots through fs:[__tls_array]: an absolute symbol, the offset
// of ThreadLocalStoragePointer in the thread environment block.
__asm__(".globl __tls_array\n__tls_array = 0x2C\n");
#endif
