#pragma once

// What the host keeps behind its handles. The host defines these; a plug-in only holds pointers
// to them, handed over by the host itself, and never looks inside.
struct HostCanvas;           // the surface an overlay is being drawn on
struct HostConsoleVariable;  // one console variable
struct HostModuleServices;   // the host's console and game services as one module sees them
