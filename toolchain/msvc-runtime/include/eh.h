// Wine's eh.h, with the termination functions in C linkage, as ucrtbase exports them.
#pragma once

#define terminate __wine_terminate
#define set_terminate __wine_set_terminate
#define unexpected __wine_unexpected
#define set_unexpected __wine_set_unexpected
#include_next <eh.h>
#undef terminate
#undef set_terminate
#undef unexpected
#undef set_unexpected

extern "C" {
_ACRTIMP __declspec(noreturn) void __cdecl terminate() noexcept;
_ACRTIMP terminate_handler __cdecl set_terminate(terminate_handler) noexcept;
_ACRTIMP terminate_handler __cdecl _get_terminate() noexcept;
_ACRTIMP __declspec(noreturn) void __cdecl unexpected() noexcept(false);
_ACRTIMP unexpected_handler __cdecl set_unexpected(unexpected_handler) noexcept;
_ACRTIMP unexpected_handler __cdecl _get_unexpected() noexcept;
}
