// A plug-in that reaches past the door for the stand-in host's internals. It must not compile:
// a plug-in's build sees host/ and nothing else of the host.
#include "simhost/services/canvas.h"
