#pragma once

#include <functional>

#include "bakkesmod/vector2.h"
#include "simhost/export.h"
#include "simhost/loading/module_loader.h"
#include "simhost/services/canvas.h"
#include "simhost/services/console_log.h"
#include "simhost/services/console_variables.h"
#include "simhost/services/overlay.h"

namespace simhost {

// Who is told of what a plug-in does in a host: every call into a module's code, every host
// operation the plug-in calls, and everything it draws; null for none.
struct HostWatches {
    ModuleCallWatch* calls = nullptr;
    ServiceCallWatch* services = nullptr;
    CanvasObserver* canvas = nullptr;
};

// The stand-in host as a whole: console log, console variables, overlay, canvas and the loader
// that brings modules in. Modules are unloaded before anything they use goes away.
//
// Threads: one thread owns a Host and makes every call into it and its parts: loading and
// unloading modules, drawing, and setting or reading console variables. The host takes no locks,
// and a plug-in reads its bound booleans with plain reads while it draws, so setting a variable
// from another thread while a draw runs is a data race. A program with other threads (one
// reading the terminal, say) hands their requests over to the host's thread.
class SIMHOST_API Host {
public:
    // A common screen, and what the cover's figures are usually given for.
    static constexpr Vector2 kDefaultCanvasSize{1920, 1080};

    explicit Host(Vector2 canvasSize = kDefaultCanvasSize);

    ConsoleLog& log() { return log_; }
    ConsoleVariables& variables() { return variables_; }
    Overlay& overlay() { return overlay_; }
    Canvas& canvas() { return canvas_; }
    ModuleLoader& modules() { return modules_; }

    // What the game shows under the overlay, when set: painted once per canvas size into a copy
    // the host keeps; each draw then puts back only where the canvas was written since the draw
    // before. A scene is painted the same way each time it is called.
    void setScene(std::function<void(Canvas&)> scene);
    // Tells `watch` of every call the host makes into a module's code, its draws included;
    // null for none.
    void setCallWatch(ModuleCallWatch* watch);
    // Tells `watch` of every host operation the modules loaded from now on call; null for none.
    void setServiceWatch(ServiceCallWatch* watch) { modules_.setServiceWatch(watch); }
    // All three at once.
    void setWatches(const HostWatches& watches);
    // One host draw: the scene, then every drawable of every loaded module. A drawable's failure
    // comes out as a DrawableFailure.
    void draw();
    // Where the last draw may have changed the canvas: what was written since the draw before
    // (the drawables' strokes, a resize), put back from the scene, and what the drawables drew.
    const CanvasAreas& changedByLastDraw() const { return changed_; }

private:
    void restoreScene();

    ConsoleLog log_;
    ConsoleVariables variables_;
    Overlay overlay_;
    Canvas canvas_;
    std::function<void(Canvas&)> scene_;
    Canvas scenePainted_{0, 0};
    bool scenePaintedCurrent_ = false;
    CanvasAreas changed_;
    ModuleLoader modules_;
    ModuleCallWatch* watch_ = nullptr;
};

}  // namespace simhost
