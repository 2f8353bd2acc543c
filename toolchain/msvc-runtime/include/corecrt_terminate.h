// The UCRT's header for terminate and its handler, which Wine keeps in eh.h.
#pragma once
#include <eh.h>
