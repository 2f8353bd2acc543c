#pragma once

namespace simhost {

// Which loaded module a drawable, a variable or a variable binding belongs to.
using ModuleId = unsigned;

}  // namespace simhost
