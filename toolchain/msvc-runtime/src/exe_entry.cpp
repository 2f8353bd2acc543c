// The entry point of a console program built with this runtime: the C runtime's arguments and
// environment, the program's initialisers, main, and exit with its status, which runs the exit
// functions registered meanwhile.
#include <corecrt_startup.h>
#include <stdlib.h>

#include "startup.h"

extern "C" void __cdecl __security_init_cookie();
int main(int argc, char** argv);

extern "C" int mainCRTStartup() {
    __security_init_cookie();
    _set_app_type(_crt_console_app);
    _configure_narrow_argv(_crt_argv_unexpanded_arguments);
    _initialize_narrow_environment();
    if (!msvc_runtime::initialize()) {
        exit(255);
    }
    exit(main(__argc, __argv));
}
