// Data every module of this runtime has: what the compiler refers to without defining it.
#include <isa_availability.h>
#include <typeinfo>

extern "C" {

// Floating-point code is present; the linker needs the symbol, its value means nothing.
int _fltused = 0x9875;

// The instruction-set level the library may count on: SSE2, the least this build targets.
int __isa_available = __ISA_AVAILABLE_SSE2;

// The root of type_info::name()'s cache of undecorated names.
struct __type_info_node {
    void* _MemPtr;
    __type_info_node* _Next;
};
__type_info_node __type_info_root_node = {nullptr, nullptr};

// type_info's virtual-function table, which every RTTI type descriptor points to. Only its
// identity matters: type descriptors are compared by name, and none is ever destroyed.
extern const void* const typeInfoTable[1] __asm__("??_7type_info@@6B@");
const void* const typeInfoTable[1] = {nullptr};

}  // extern "C"
