// The STL's forwarders to Windows' one-time initialisation, which std::call_once uses when built
// with clang, and which the real runtime keeps in its static part.
#include <stdlib.h>
#include <windows.h>

extern "C" {

int __stdcall __std_init_once_begin_initialize_clr(void** once, unsigned long flags, int* pending,
                                                   void** context) noexcept {
    return InitOnceBeginInitialize(reinterpret_cast<PINIT_ONCE>(once), flags, pending, context);
}

int __stdcall __std_init_once_complete_clr(void** once, unsigned long flags,
                                           void* context) noexcept {
    return InitOnceComplete(reinterpret_cast<PINIT_ONCE>(once), flags, context);
}

[[noreturn]] void __stdcall __std_init_once_link_alternate_names_and_abort() noexcept {
    abort();
}

}  // extern "C"
