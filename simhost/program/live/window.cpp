#include "program/live/window.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <new>
#include <ostream>
#include <sstream>
#include <thread>

#include "program/ending_signals.h"
#include "program/error_message.h"
#include "program/live/console_lines.h"
#include "program/live/frame_times.h"
#include "program/live/module_watch.h"
#include "program/live/sdl_window.h"
#include "program/printable.h"
#include "program/screenshot.h"
#include "simhost/host_error.h"

namespace simhost {

namespace {

using Clock = std::chrono::steady_clock;

// The cover's switch: what F1 flips and the title shows.
constexpr const char* kSwitch = "cl_tavorinden";
// How often the frames-per-second figure in the title is worked out anew.
constexpr std::chrono::milliseconds kRateEvery{500};

// What the title tells: which module runs, how big the canvas is, the switch and the frame rate.
std::string titleOf(Host& host, const Console& console, double framesPerSecond) {
    std::ostringstream title;
    if (const LoadedModule* loaded = console.loaded()) {
        const PluginExportRecord& record = loaded->module.record();
        title << shown(record.displayName != nullptr ? record.displayName : "?") << ' '
              << shown(record.versionText != nullptr ? record.versionText : "?");
    } else {
        title << shown(console.module().filename().string()) << " (not loaded)";
    }
    title << " | " << host.canvas().width() << 'x' << host.canvas().height();
    if (const ConsoleVariable* variable = host.variables().find(kSwitch)) {
        title << " | " << kSwitch << ' ' << variable->text();
    }
    title << " | " << std::lround(framesPerSecond) << " fps";
    return title.str();
}

// The first simhost-N.png in the working directory that does not exist yet. A name that cannot
// be looked at is taken, and writing the picture then says why.
std::string freeScreenshotName() {
    for (int number = 1;; ++number) {
        const std::string name = "simhost-" + std::to_string(number) + ".png";
        std::error_code error;
        if (!std::filesystem::exists(name, error) || error) {
            return name;
        }
    }
}

class WindowSession {
public:
    WindowSession(Host& host, Console& console, const WindowRun& run, std::istream& in,
                  std::ostream& out, std::ostream& err)
        : host_(host),
          console_(console),
          run_(run),
          out_(out),
          err_(err),
          window_(host.canvas().size(), titleOf(host, console, 0)),
          lines_(in),
          times_(static_cast<std::size_t>(run.frames.value_or(0))) {
        if (run.watch) {
            watch_.emplace(console, Clock::now());
        }
    }

    int loop() {
        const auto period = window_.refreshPeriod();
        auto due = Clock::now();
        auto rateSince = due;
        long long framesSince = 0;
        prompt();
        for (long long frame = 0; !run_.frames || frame < *run_.frames; ++frame) {
            if (!handleEvents() || !handleConsole()) {
                return finish();
            }
            if (watch_) {
                watch_->poll(Clock::now());
            }
            if (!makeFrame()) {
                return 1;
            }

            // Frames finished after rateSince, the end of an earlier frame.
            const auto now = Clock::now();
            if (frame == 0) {
                rateSince = now;
            } else {
                ++framesSince;
            }
            if (now - rateSince >= kRateEvery) {
                framesPerSecond_ = static_cast<double>(framesSince) /
                                   std::chrono::duration<double>(now - rateSince).count();
                rateSince = now;
                framesSince = 0;
            }
            updateTitle();

            // Paced to the display; a late frame does not make the next ones hurry.
            due = std::max(due + period, now);
            std::this_thread::sleep_until(due);
        }
        return finish();
    }

private:
    // False when the window is to close.
    bool handleEvents() {
        if (EndingSignals::received() != 0) {
            return false;
        }
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0) {
            if (event.type == SDL_QUIT) {
                return false;
            }
            if (event.type == SDL_WINDOWEVENT &&
                event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                resizeCanvas();
            } else if (event.type == SDL_KEYDOWN && event.key.repeat == 0) {
                switch (event.key.keysym.sym) {
                    case SDLK_ESCAPE:
                        return false;
                    case SDLK_F1:
                        flipSwitch();
                        break;
                    case SDLK_F5:
                        console_.reload();
                        break;
                    case SDLK_F12:
                        console_.run("screenshot \"" + freeScreenshotName() + "\"");
                        break;
                    default:
                        break;
                }
            }
        }
        return true;
    }

    void resizeCanvas() {
        const Vector2 wanted = window_.outputSize();
        const Vector2 size{std::clamp(wanted.X, 1, Canvas::kMaxSide),
                           std::clamp(wanted.Y, 1, Canvas::kMaxSide)};
        if (size.X == host_.canvas().width() && size.Y == host_.canvas().height()) {
            return;
        }
        try {
            host_.canvas().resize(size.X, size.Y);
        } catch (const std::bad_alloc&) {
            err_ << errorMessage(canvasOutOfMemory(size)) << '\n';
        }
    }

    // As a player would type it.
    void flipSwitch() {
        const ConsoleVariable* variable = host_.variables().find(kSwitch);
        if (variable == nullptr) {
            err_ << errorMessage(std::string("F1: there is no console variable ") + kSwitch +
                                 " to flip")
                 << '\n';
            return;
        }
        console_.run(std::string(kSwitch) + (variable->text() == "0" ? " 1" : " 0"));
    }

    // Runs what was typed meanwhile; false when the session is to end.
    bool handleConsole() {
        while (inputOpen_) {
            const auto read = lines_.next(std::chrono::milliseconds(0));
            if (!read) {
                break;
            }
            switch (takeTurn(console_, *read, ++lineNumber_, err_)) {
                case Turn::Quit:
                    return false;
                case Turn::End:
                    inputOpen_ = false;  // the window stays; its keys still work
                    break;
                case Turn::Failed:
                    inputOpen_ = false;
                    failed_ = true;
                    break;
                case Turn::Continue:
                    prompt();
                    break;
            }
        }
        if (consoleLogLost(out_, err_)) {
            logLost_ = true;
            return false;
        }
        return true;
    }

    bool makeFrame() {
        const auto start = Clock::now();
        try {
            host_.draw();
            window_.show(host_.canvas());
        } catch (const DrawableFailure& failure) {
            // The module is dropped and the window goes on, as after a build that does not load.
            const LoadedModule* loaded = console_.loaded();
            if (loaded == nullptr || loaded->id != failure.owner()) {
                err_ << errorMessage("draw failed: " + failure.cause()) << '\n';
                return false;
            }
            console_.dropModule("draw failed: " + failure.cause());
            failed_ = failed_ || !run_.watch;
            return true;
        } catch (const HostError& error) {
            err_ << errorMessage(error) << '\n';
            return false;
        } catch (...) {
            err_ << errorMessage("draw failed: " + describe(std::current_exception())) << '\n';
            return false;
        }
        if (run_.frames) {
            times_.record(Clock::now() - start);
        }
        return true;
    }

    void updateTitle() {
        std::string title = titleOf(host_, console_, framesPerSecond_);
        if (title != title_) {
            window_.setTitle(title);
            title_ = std::move(title);
        }
    }

    void prompt() {
        if (run_.inIsTerminal && inputOpen_) {
            err_ << "] " << std::flush;
        }
    }

    // The frame statistics and the screenshot asked for; the exit status.
    int finish() {
        if (run_.frames && times_.count() > 0) {
            char line[160];
            std::snprintf(line, sizeof line,
                          "%zu frames: median %.3f ms, 99th percentile %.3f ms per frame\n",
                          times_.count(), times_.median().count(), times_.percentile(99).count());
            err_ << line;
        }
        if (run_.screenshot) {
            try {
                writeScreenshot(host_.canvas(), *run_.screenshot);
            } catch (const HostError& error) {
                err_ << errorMessage(error) << '\n';
                return 1;
            }
        }
        const bool lost = logLost_ || consoleLogLost(out_, err_);
        return lost || failed_ ? 1 : 0;
    }

    Host& host_;
    Console& console_;
    const WindowRun& run_;
    std::ostream& out_;
    std::ostream& err_;
    SdlWindow window_;
    ConsoleLines lines_;
    std::optional<ModuleWatch> watch_;
    FrameTimes times_;
    std::string title_;
    double framesPerSecond_ = 0;
    long long lineNumber_ = 0;
    bool inputOpen_ = true;
    bool failed_ = false;
    bool logLost_ = false;
};

}  // namespace

bool windowAvailable() {
    return true;
}

int runWindow(Host& host, Console& console, const WindowRun& run, std::istream& in,
              std::ostream& out, std::ostream& err) {
    try {
        WindowSession session(host, console, run, in, out, err);
        return session.loop();
    } catch (const SdlFailure& failure) {
        err << errorMessage(failure.what()) << '\n';
        return 1;
    }
}

}  // namespace simhost
