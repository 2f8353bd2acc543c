// MSVC's declarations of operator new and delete, and of what they take.
#pragma once
#include <vcruntime.h>

#pragma pack(push, _CRT_PACKING)

namespace std {
enum class align_val_t : size_t {};
struct nothrow_t {
    explicit nothrow_t() = default;
};
extern nothrow_t const nothrow;
}  // namespace std

[[nodiscard]] _VCRT_ALLOCATOR void* __CRTDECL operator new(size_t _Size);
[[nodiscard]] _VCRT_ALLOCATOR void* __CRTDECL operator new(size_t _Size,
                                                           std::nothrow_t const&) noexcept;
[[nodiscard]] _VCRT_ALLOCATOR void* __CRTDECL operator new[](size_t _Size);
[[nodiscard]] _VCRT_ALLOCATOR void* __CRTDECL operator new[](size_t _Size,
                                                             std::nothrow_t const&) noexcept;
void __CRTDECL operator delete(void* _Block) noexcept;
void __CRTDECL operator delete(void* _Block, std::nothrow_t const&) noexcept;
void __CRTDECL operator delete[](void* _Block) noexcept;
void __CRTDECL operator delete[](void* _Block, std::nothrow_t const&) noexcept;
void __CRTDECL operator delete(void* _Block, size_t _Size) noexcept;
void __CRTDECL operator delete[](void* _Block, size_t _Size) noexcept;
[[nodiscard]] _VCRT_ALLOCATOR void* __CRTDECL operator new(size_t _Size, std::align_val_t _Al);
[[nodiscard]] _VCRT_ALLOCATOR void* __CRTDECL operator new(size_t _Size, std::align_val_t _Al,
                                                           std::nothrow_t const&) noexcept;
[[nodiscard]] _VCRT_ALLOCATOR void* __CRTDECL operator new[](size_t _Size, std::align_val_t _Al);
[[nodiscard]] _VCRT_ALLOCATOR void* __CRTDECL operator new[](size_t _Size, std::align_val_t _Al,
                                                             std::nothrow_t const&) noexcept;
void __CRTDECL operator delete(void* _Block, std::align_val_t _Al) noexcept;
void __CRTDECL operator delete(void* _Block, std::align_val_t _Al, std::nothrow_t const&) noexcept;
void __CRTDECL operator delete[](void* _Block, std::align_val_t _Al) noexcept;
void __CRTDECL operator delete[](void* _Block, std::align_val_t _Al,
                                 std::nothrow_t const&) noexcept;
void __CRTDECL operator delete(void* _Block, size_t _Size, std::align_val_t _Al) noexcept;
void __CRTDECL operator delete[](void* _Block, size_t _Size, std::align_val_t _Al) noexcept;

#ifndef __PLACEMENT_NEW_INLINE
#define __PLACEMENT_NEW_INLINE
[[nodiscard]] inline void* __CRTDECL operator new(size_t _Size, void* _Where) noexcept {
    (void)_Size;
    return _Where;
}
inline void __CRTDECL operator delete(void*, void*) noexcept {}
#endif
#ifndef __PLACEMENT_VEC_NEW_INLINE
#define __PLACEMENT_VEC_NEW_INLINE
[[nodiscard]] inline void* __CRTDECL operator new[](size_t _Size, void* _Where) noexcept {
    (void)_Size;
    return _Where;
}
inline void __CRTDECL operator delete[](void*, void*) noexcept {}
#endif

#pragma pack(pop)
