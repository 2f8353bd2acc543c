#include "program/live/window.h"
#include "program/values/number_parsers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <new>
#include <ostream>
#include <sstream>
#include <thread>
#include <vector>

#include "program/output/error_message.h"
#include "program/output/screenshot.h"
#include "program/output/shown_text.h"
#include "program/process/exit_status.h"
#include "simhost/host_error.h"

namespace simhost {

namespace {

using Clock = std::chrono::steady_clock;

// How often the frames-per-second figure in the title is worked out anew.
constexpr std::chrono::milliseconds kRateEvery{500};

// The first simhost-N.png in the working directory that does not exist yet. A name that cannot
// be looked at is taken, and writing the picture then says why.
std::string freeScreenshotName() {
    for (int number = 1;; ++number) {
        std::string name = "simhost-" + std::to_string(number) + ".png";
        std::error_code error;
        if (!std::filesystem::exists(name, error) || error) {
            return name;
        }
    }
}

}  // namespace

Window::Window(Host& host, ConsoleSession& session, Display& display, const WindowRun& run,
               std::ostream& err)
    : host_(host),
      session_(session),
      display_(display),
      run_(run),
      err_(err),
      times_(static_cast<std::size_t>(run.frames.value_or(0))),
      due_(Clock::now()),
      rateSince_(due_) {}

std::optional<int> Window::look() {
    if (run_.frames && framesMade_ >= *run_.frames) {
        return kSuccess;
    }
    for (const DisplayEvent event : display_.events()) {
        if (event == DisplayEvent::Quit) {
            return kSuccess;
        }
        answer(event);
    }
    // Told once: a run without a switch to flip does not say so every frame.
    if (run_.flipEachFrame && !flipFailed_) {
        flipFailed_ = !flip();
    }
    if (!makeFrame()) {
        return kRunFailure;
    }

    // Frames finished after rateSince_, the end of an earlier frame.
    const auto now = Clock::now();
    if (framesMade_++ == 0) {
        rateSince_ = now;
    } else {
        ++framesSince_;
    }
    if (now - rateSince_ >= kRateEvery) {
        framesPerSecond_ = static_cast<double>(framesSince_) /
                           std::chrono::duration<double>(now - rateSince_).count();
        rateSince_ = now;
        framesSince_ = 0;
    }
    updateTitle();

    // Paced to the display; a late frame does not make the next ones hurry.
    due_ = std::max(due_ + display_.refreshPeriod(), now);
    std::this_thread::sleep_until(due_);
    return std::nullopt;
}

void Window::answer(DisplayEvent event) {
    switch (event) {
        case DisplayEvent::Resized:
            resizeCanvas();
            break;
        case DisplayEvent::Flip:
            flip();
            break;
        case DisplayEvent::Reload:
            session_.console().reload();
            break;
        case DisplayEvent::Screenshot:
            session_.console().run("screenshot \"" + freeScreenshotName() + "\"");
            break;
        case DisplayEvent::Quit:
            break;
    }
}

void Window::resizeCanvas() {
    const Vector2 wanted = display_.outputSize();
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

ConsoleVariable* Window::toggle() const {
    if (run_.toggle) {
        return host_.variables().find(*run_.toggle);
    }
    const LoadedModule* loaded = session_.console().loaded();
    if (loaded == nullptr) {
        return nullptr;
    }
    // The module's own: registered by it, or, after a reload, bound by it.
    const auto owns = [id = loaded->id](const ConsoleVariable& variable) {
        return variable.creator() == id ||
               std::any_of(variable.bindings().begin(), variable.bindings().end(),
                           [id](const auto& binding) { return binding.first == id; });
    };
    for (const ConsoleVariable* variable : host_.variables().all()) {
        const auto& definition = variable->definition();
        if (owns(*variable) && definition.minimum == 0.0f && definition.maximum == 1.0f) {
            return host_.variables().find(variable->name());
        }
    }
    return nullptr;
}

// As a person would type it, but by the variable itself: its name may hold what a typed line
// would read as a separator, a quote or a comment.
bool Window::flip() {
    ConsoleVariable* variable = toggle();
    if (variable == nullptr) {
        err_ << errorMessage(run_.toggle ? "F1: there is no console variable " +
                                               printable(*run_.toggle) + " to flip"
                                         : std::string("F1: the module has no variable from 0 to "
                                                       "1 to flip; name one with --toggle"))
             << '\n';
        return false;
    }
    session_.console().set(*variable, variable->number() == 0.0f ? "1" : "0");
    return true;
}

bool Window::makeFrame() {
    const auto start = Clock::now();
    std::size_t uploaded = 0;
    try {
        host_.draw();
        uploaded = display_.show(host_.canvas(), host_.changedByLastDraw());
    } catch (const DrawableFailure& failure) {
        // The module is dropped and the window goes on, as after a build that does not load.
        const LoadedModule* loaded = session_.console().loaded();
        if (loaded == nullptr || loaded->id != failure.owner()) {
            err_ << errorMessage("draw failed: " + failure.cause()) << '\n';
            return false;
        }
        session_.console().dropModule("draw failed: " + failure.cause());
        failed_ = failed_ || !run_.watching;
        return true;
    } catch (const HostError& error) {
        err_ << errorMessage(error) << '\n';
        return false;
    } catch (...) {
        err_ << errorMessage("draw failed: " + describe(std::current_exception())) << '\n';
        return false;
    }
    if (run_.frames) {
        times_.record(Clock::now() - start, uploaded);
    }
    return true;
}

std::string Window::title() const {
    std::ostringstream title;
    const Console& console = session_.console();
    if (const LoadedModule* loaded = console.loaded()) {
        const PluginExportRecord& record = loaded->module.record();
        title << shown(record.displayName != nullptr ? record.displayName : "?") << ' '
              << shown(record.versionText != nullptr ? record.versionText : "?");
    } else {
        title << shown(console.module().filename().string()) << " (not loaded)";
    }
    title << " | " << canvasSizeText(host_.canvas().size());
    if (const ConsoleVariable* variable = toggle()) {
        title << " | " << shown(variable->name()) << ' ' << variable->text();
    }
    title << " | " << std::lround(framesPerSecond_) << " fps";
    return title.str();
}

void Window::updateTitle() {
    std::string now = title();
    if (now != title_) {
        display_.setTitle(now);
        title_ = std::move(now);
    }
}

int Window::finish() {
    if (run_.frames && times_.count() > 0) {
        char line[200];
        std::snprintf(line, sizeof line,
                      "%zu frames: median %.3f ms, 99th percentile %.3f ms per frame; median %zu "
                      "bytes, 99th percentile %zu bytes sent to the screen per frame\n",
                      times_.count(), times_.median().count(), times_.percentile(99).count(),
                      times_.uploadedPercentile(50), times_.uploadedPercentile(99));
        err_ << line;
    }
    int status = session_.status();
    if (run_.screenshot) {
        try {
            writeScreenshot(host_.canvas(), *run_.screenshot);
        } catch (const HostError& error) {
            err_ << errorMessage(error) << '\n';
            status = kRunFailure;
        }
    }
    return failed_ ? kRunFailure : status;
}

int runWindow(Host& host, ConsoleSession& session, const WindowRun& run, BetweenTurns* watch,
              std::ostream& err) {
    std::unique_ptr<Display> display;
    try {
        display = openDisplay(host.canvas().size(), "simhost");
    } catch (const HostError& error) {
        err << errorMessage(error) << '\n';
        return kRunFailure;
    }
    Window window(host, session, *display, run, err);
    std::vector<BetweenTurns*> between;
    if (watch != nullptr) {
        between.push_back(watch);
    }
    between.push_back(&window);
    const int ended = pump(session, between, std::chrono::milliseconds(0));
    return std::max(ended, window.finish());
}

}  // namespace simhost
