// What the entry points of a module share: running its initialisers and its exit functions.
#pragma once

namespace msvc_runtime {

// Whether this module is a DLL: its exit functions then run when it is unloaded, from a table
// of its own, rather than with the process's.
extern bool moduleIsDll;

// Runs the C and C++ initialisers of this module, in the order the linker laid them out;
// false when a C initialiser failed.
bool initialize();
// Runs the exit functions this module registered, newest first (a DLL's, at its unload).
void runExitFunctions();

}  // namespace msvc_runtime
