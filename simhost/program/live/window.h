#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

#include "program/console/console_session.h"
#include "program/live/display.h"
#include "program/live/frame_times.h"
#include "simhost/host.h"

namespace simhost {

// What the window is asked to do beyond showing the frames.
struct WindowRun {
    // End after this many frames and tell how long they took to make.
    std::optional<long long> frames;
    // Written after the last frame.
    std::optional<std::filesystem::path> screenshot;
    // The console variable F1 flips; without one, the module's first variable bounded 0 to 1.
    std::optional<std::string> toggle;
    // Flip the toggle before every frame, as F1 would: what a frame that changes costs.
    bool flipEachFrame = false;
    // Whether a module is loaded again at each new build: a module dropped for a failing draw
    // is then waited for, not a failure of the run.
    bool watching = false;
};

// The host's frames on a display, the canvas following its size, paced to its refresh, with the
// console beside it. Looked at between console turns: each look answers what the person did
// (F1 flips the toggle, F5 loads the module again, F12 writes a screenshot; Escape or closing
// the window ends it), makes a frame and waits until the next one is due.
class Window final : public BetweenTurns {
public:
    Window(Host& host, ConsoleSession& session, Display& display, const WindowRun& run,
           std::ostream& err);

    std::optional<int> look() override;
    // The frame statistics and the screenshot asked for; the exit status of the whole run.
    int finish();

private:
    void answer(DisplayEvent event);
    void resizeCanvas();
    // Whether there was a switch to flip.
    bool flip();
    ConsoleVariable* toggle() const;
    bool makeFrame();
    void updateTitle();
    std::string title() const;

    Host& host_;
    ConsoleSession& session_;
    Display& display_;
    const WindowRun& run_;
    std::ostream& err_;
    FrameTimes times_;
    std::string title_;
    long long framesMade_ = 0;
    std::chrono::steady_clock::time_point due_;
    std::chrono::steady_clock::time_point rateSince_;
    long long framesSince_ = 0;
    double framesPerSecond_ = 0;
    bool failed_ = false;
    bool flipFailed_ = false;
};

// Opens a display and runs the session with the window (and the watch, when given) looked at
// between its turns, until one of them ends it. Returns the exit status.
int runWindow(Host& host, ConsoleSession& session, const WindowRun& run, BetweenTurns* watch,
              std::ostream& err);

}  // namespace simhost
