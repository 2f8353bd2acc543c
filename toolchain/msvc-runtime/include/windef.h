// Wine's windef.h, without its definition of inline, which C++ has as a keyword.
#pragma once
#include_next <windef.h>
#undef inline
