#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>

#include "program/console.h"

namespace simhost {

// What the window is asked to do beyond showing the frames.
struct WindowRun {
    // End after this many frames and tell how long they took to make.
    std::optional<long long> frames;
    // Load the module again whenever its file has a new content.
    bool watch = false;
    // Written after the last frame.
    std::optional<std::filesystem::path> screenshot;
    bool inIsTerminal = false;
};

// Whether this build of the program can open a window at all.
bool windowAvailable();

// Shows the host's frames in a resizable window, the canvas following the window's size, paced
// to the display, with the console read from `in` beside it. F1 flips the cover's switch, F5
// loads the module again, F12 writes a screenshot; Escape, closing the window, "quit" or the
// frames asked for end it. Returns the exit status.
int runWindow(Host& host, Console& console, const WindowRun& run, std::istream& in,
              std::ostream& out, std::ostream& err);

}  // namespace simhost
