#pragma once

#include "simhost/image/module_image.h"
#include "simhost/result.h"

namespace simhost {

// Whether code of this kind can run in this host; refused for a Windows module on a host that
// loads ELF ones and back, or for one built for another processor ("built for AArch64; this host
// runs x86-64").
Result<> builtForThisMachine(const ImageKind& machine);

}  // namespace simhost
