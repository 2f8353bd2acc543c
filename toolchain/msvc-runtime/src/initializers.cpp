// The module's initialisers and exit functions. The compiler puts a pointer to each C++ dynamic
// initialiser in the .CRT$XCU section; the linker sorts .CRT$XC* by name, so that everything
// between __xc_a and __xc_z is run, in order. Static destructors are registered with atexit.
#include <corecrt_startup.h>
#include <stdlib.h>

#include "startup.h"

extern "C" {
_ACRTIMP void __cdecl _initterm(_PVFV* first, _PVFV* last);
_ACRTIMP int __cdecl _initterm_e(_PIFV* first, _PIFV* last);
}

#pragma section(".CRT$XIA", long, read)
#pragma section(".CRT$XIZ", long, read)
#pragma section(".CRT$XCA", long, read)
#pragma section(".CRT$XCZ", long, read)
extern "C" {
__declspec(allocate(".CRT$XIA")) _PIFV __xi_a[] = {nullptr};
__declspec(allocate(".CRT$XIZ")) _PIFV __xi_z[] = {nullptr};
__declspec(allocate(".CRT$XCA")) _PVFV __xc_a[] = {nullptr};
__declspec(allocate(".CRT$XCZ")) _PVFV __xc_z[] = {nullptr};
// The linker merges the initialiser sections into the read-only data.
#pragma comment(linker, "/merge:.CRT=.rdata")
}

namespace msvc_runtime {

bool moduleIsDll = false;

namespace {

_onexit_table_t exitFunctions;

}  // namespace

bool initialize() {
    _initialize_onexit_table(&exitFunctions);
    if (_initterm_e(__xi_a, __xi_z) != 0) {
        return false;
    }
    _initterm(__xc_a, __xc_z);
    return true;
}

void runExitFunctions() {
    _execute_onexit_table(&exitFunctions);
}

}  // namespace msvc_runtime

// A DLL's exit functions run at its unload, from its own table; a program's with the process,
// when exit() runs the C runtime's table.
extern "C" int __cdecl atexit(void(__cdecl* function)()) {
    if (msvc_runtime::moduleIsDll) {
        return _register_onexit_function(&msvc_runtime::exitFunctions,
                                         reinterpret_cast<_onexit_t>(function));
    }
    return _crt_atexit(function);
}
