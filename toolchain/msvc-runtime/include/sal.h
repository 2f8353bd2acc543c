// Wine's sal.h, with the annotations Microsoft's STL uses that it lacks; they say nothing to
// this compiler.
#pragma once
#include_next <sal.h>

#define _Analysis_assume_(expr)
#define _Check_return_opt_
#define _Field_z_
#define _Guarded_by_(lock)
#define _Inout_bytecount_(size)
#define _Pre_satisfies_(expr)
