#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "bakkesmod/canvas_wrapper.h"
#include "simhost/export.h"
#include "simhost/host_error.h"
#include "simhost/services/module_id.h"

namespace simhost {

class Canvas;

// A drawable failed: whose it was and what it threw, in the thrower's own words. The exception
// itself stays behind, for its type may be a module's code, which is unmapped when the module
// is closed.
class DrawableFailure : public HostError {
public:
    DrawableFailure(ModuleId owner, const std::string& what) : HostError(what), owner_(owner) {}
    ModuleId owner() const { return owner_; }

private:
    ModuleId owner_;
};

// The drawables of every loaded module, called in registration order on each host draw.
class SIMHOST_API Overlay {
public:
    using Drawable = std::function<void(CanvasWrapper)>;

    void add(ModuleId owner, Drawable drawable);
    // The owner's drawables are never called again, even when one of them asks for this while
    // the overlay is being drawn.
    void removeAll(ModuleId owner);
    // Drawables that will be called at the next draw: all, or the owner's.
    std::size_t count(std::optional<ModuleId> owner = std::nullopt) const;

    // Calls every drawable, each with its own handle to the canvas. A drawable's failure ends
    // the draw as a DrawableFailure; the overlay stays consistent.
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
