#pragma once

#include <functional>

#include "bakkesmod/api.h"
#include "bakkesmod/canvas_wrapper.h"
#include "bakkesmod/host_handles.h"

// The host's game services as one module sees them: its overlay drawables.
class BAKKESMOD_API GameWrapper {
public:
    explicit GameWrapper(HostModuleServices& services);
    GameWrapper(const GameWrapper&) = delete;
    GameWrapper& operator=(const GameWrapper&) = delete;
    ~GameWrapper();

    // The host calls the drawable, with a canvas, each time it draws its overlay.
    void RegisterDrawable(std::function<void(CanvasWrapper)> drawable);
    // Removes every drawable this module registered; none of them is called again.
    void UnregisterDrawables();

private:
    HostModuleServices* services_;
};
