#pragma once

namespace simhost {

// Which loaded module a drawable, a variable or a variable binding belongs to.
using ModuleId = unsigned;

// No loaded module: the creator of a variable whose module has been unloaded. Ids start at 1.
inline constexpr ModuleId kNoModule = 0;

}  // namespace simhost
