#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "bakkesmod/api.h"
#include "bakkesmod/canvas_wrapper.h"
#include "simhost/services/module_id.h"

namespace simhost {

class Canvas;

// The drawables of every loaded module, called in registration order on each host draw.
class BAKKESMOD_API Overlay {
public:
    using Drawable = std::function<void(CanvasWrapper)>;

    void add(ModuleId owner, Drawable drawable);
    // The owner's drawables are never called again, even when one of them asks for this while
    // the overlay is being drawn.
    void removeAll(ModuleId owner);
    // Drawables that will be called at the next draw: all, or the owner's.
    std::size_t count(std::optional<ModuleId> owner = std::nullopt) const;

    // Calls every drawable, each with its own handle to the canvas. A drawable's failure passes
    // to the caller; the overlay stays consistent.
    void draw(Canvas& canvas);

private:
    struct Entry {
        ModuleId owner;
        Drawable drawable;
        bool removed = false;
    };
    void settle();

    std::vector<Entry> entries_;
    // Registrations made while drawing join after the draw, so no drawable moves while it runs.
    std::vector<Entry> arrivals_;
    bool drawing_ = false;
};

}  // namespace simhost
