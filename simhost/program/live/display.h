#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "bakkesmod/vector2.h"
#include "simhost/services/canvas.h"

namespace simhost {

// What a person does to the window, in the host's own terms.
enum class DisplayEvent {
    Quit,        // closed the window, or pressed Escape
    Resized,     // the window has a new size: outputSize() tells it
    Flip,        // F1: flip the switch chosen for it
    Reload,      // F5: load the module again
    Screenshot,  // F12: write a picture of the canvas
};

// A window on the desktop that shows a canvas.
class Display {
public:
    virtual ~Display() = default;

    // The size of what the window shows, in pixels.
    virtual Vector2 outputSize() const = 0;
    // The time between two refreshes of the screen the window is on.
    virtual std::chrono::nanoseconds refreshPeriod() const = 0;
    virtual void setTitle(const std::string& title) = 0;
    // Shows the canvas, scaled to the window. `changed` holds every part of the canvas that may
    // differ from what the last call showed; of those, only the rows that do differ go to the
    // screen, and when none does nothing is presented. A resize or an expose of the window shows
    // everything. Returns the bytes sent to the screen. Throws HostError.
    virtual std::size_t show(const Canvas& canvas, const CanvasAreas& changed) = 0;
    // What happened since the last call, oldest first.
    virtual std::vector<DisplayEvent> events() = 0;

protected:
    Display() = default;
    Display(const Display&) = default;
    Display& operator=(const Display&) = default;
};

// The time between two refreshes of a screen that refreshes `hertz` times a second; a screen
// that does not tell its rate (0 or less) is taken for a 60 Hz one.
constexpr std::chrono::nanoseconds refreshPeriodAt(int hertz) {
    constexpr int kUsualHertz = 60;
    return std::chrono::nanoseconds(std::chrono::seconds(1)) / (hertz > 0 ? hertz : kUsualHertz);
}

// Whether this build of the program can open a window at all.
bool displayAvailable();

// Opens a resizable window of that size. Throws HostError when there is no display to open it
// on, saying why.
std::unique_ptr<Display> openDisplay(Vector2 size, const std::string& title);

}  // namespace simhost
