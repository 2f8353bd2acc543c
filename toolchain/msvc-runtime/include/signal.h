// Wine's signal.h, with the type the C++ library names that it lacks.
#pragma once
#include_next <signal.h>

typedef int sig_atomic_t;
