// operator new and delete on the C runtime's heap, as the runtime's static part has them: a
// failed allocation calls the new handler while there is one, then throws std::bad_alloc, or
// gives null for the nothrow forms.
#include <malloc.h>
#include <stdlib.h>

#include <new>

extern "C" _ACRTIMP int __cdecl _callnewh(size_t size);

namespace {

void* allocate(size_t size) {
    for (;;) {
        if (void* block = malloc(size == 0 ? 1 : size)) {
            return block;
        }
        if (_callnewh(size) == 0) {
            throw std::bad_alloc();
        }
    }
}

void* allocateAligned(size_t size, std::align_val_t alignment) {
    for (;;) {
        if (void* block = _aligned_malloc(size == 0 ? 1 : size, static_cast<size_t>(alignment))) {
            return block;
        }
        if (_callnewh(size) == 0) {
            throw std::bad_alloc();
        }
    }
}

}  // namespace

void* __CRTDECL operator new(size_t size) {
    return allocate(size);
}
void* __CRTDECL operator new[](size_t size) {
    return allocate(size);
}
void* __CRTDECL operator new(size_t size, std::nothrow_t const&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* __CRTDECL operator new[](size_t size, std::nothrow_t const& nothrow) noexcept {
    return operator new(size, nothrow);
}
void* __CRTDECL operator new(size_t size, std::align_val_t alignment) {
    return allocateAligned(size, alignment);
}
void* __CRTDECL operator new[](size_t size, std::align_val_t alignment) {
    return allocateAligned(size, alignment);
}
void* __CRTDECL operator new(size_t size, std::align_val_t alignment,
                             std::nothrow_t const&) noexcept {
    try {
        return allocateAligned(size, alignment);
    } catch (...) {
        return nullptr;
    }
}
void* __CRTDECL operator new[](size_t size, std::align_val_t alignment,
                               std::nothrow_t const& nothrow) noexcept {
    return operator new(size, alignment, nothrow);
}

void __CRTDECL operator delete(void* block) noexcept {
    free(block);
}
void __CRTDECL operator delete[](void* block) noexcept {
    free(block);
}
void __CRTDECL operator delete(void* block, std::nothrow_t const&) noexcept {
    free(block);
}
void __CRTDECL operator delete[](void* block, std::nothrow_t const&) noexcept {
    free(block);
}
void __CRTDECL operator delete(void* block, size_t) noexcept {
    free(block);
}
void __CRTDECL operator delete[](void* block, size_t) noexcept {
    free(block);
}
void __CRTDECL operator delete(void* block, std::align_val_t) noexcept {
    _aligned_free(block);
}
void __CRTDECL operator delete[](void* block, std::align_val_t) noexcept {
    _aligned_free(block);
}
void __CRTDECL operator delete(void* block, std::align_val_t, std::nothrow_t const&) noexcept {
    _aligned_free(block);
}
void __CRTDECL operator delete[](void* block, std::align_val_t, std::nothrow_t const&) noexcept {
    _aligned_free(block);
}
void __CRTDECL operator delete(void* block, size_t, std::align_val_t) noexcept {
    _aligned_free(block);
}
void __CRTDECL operator delete[](void* block, size_t, std::align_val_t) noexcept {
    _aligned_free(block);
}
