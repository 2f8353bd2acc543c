// The entry point of a DLL built with this runtime, which the module does not define itself: on
// load it runs the module's initialisers and turns off the per-thread notifications the module
// has no use for; on unload it runs the module's exit functions, its static destructors among
// them, while its code is still there.
#include <windows.h>

#include "startup.h"

extern "C" void __cdecl __security_init_cookie();

extern "C" BOOL WINAPI _DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            __security_init_cookie();
            msvc_runtime::moduleIsDll = true;
            if (!msvc_runtime::initialize()) {
                return FALSE;
            }
            DisableThreadLibraryCalls(instance);
            return TRUE;
        case DLL_PROCESS_DETACH:
            msvc_runtime::runExitFunctions();
            return TRUE;
        default:
            return TRUE;
    }
}
