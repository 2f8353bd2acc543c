#pragma once

// The host's own types behind its handles. Plug-ins only ever hold pointers to them.
namespace simhost {
class Canvas;
class ConsoleLog;
class ConsoleVariable;
class ConsoleVariables;
class Overlay;

// Which loaded module a service handle, a drawable or a variable binding belongs to.
using ModuleId = unsigned;
}  // namespace simhost
