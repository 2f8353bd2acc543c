#include "program/options.h"

#include "program/number_parsers.h"
#include "program/printable.h"
#include "program/screenshot.h"
#include "simhost/services/canvas.h"

namespace simhost {

Options parseOptions(const std::vector<std::string>& arguments) {
    Options options;
    bool moduleGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::optional<std::string> attached;
        if (name.rfind("--", 0) == 0) {
            if (const auto equals = name.find('='); equals != std::string::npos) {
                attached = name.substr(equals + 1);
                name.resize(equals);
            }
        }
        const auto value = [&]() -> std::string {
            if (attached) {
                return *attached;
            }
            if (i + 1 >= arguments.size()) {
                throw UsageError(name + " needs a value");
            }
            return arguments[++i];
        };
        const auto noValue = [&] {
            if (attached) {
                throw UsageError(name + " takes no value");
            }
        };

        std::string why;
        if (name == "--help" || name == "-h") {
            noValue();
            options.action = Options::Action::Help;
            return options;
        } else if (name == "--version") {
            noValue();
            options.action = Options::Action::Version;
            return options;
        } else if (name == "--size") {
            const auto size = parseCanvasSize(value(), why);
            if (!size) {
                throw UsageError("--size: " + why);
            }
            options.size = *size;
        } else if (name == "--frames") {
            const auto frames = parseCount(value(), kMaxFrames, why);
            if (!frames) {
                throw UsageError("--frames: " + why);
            }
            options.frames = *frames;
            options.framesGiven = true;
        } else if (name == "--command") {
            options.commands.push_back(value());
        } else if (name == "--screenshot") {
            const std::filesystem::path file = value();
            if (!namesPngFile(file)) {
                throw UsageError("--screenshot: " + printable(file.string()) +
                                 " must name a .png file");
            }
            options.screenshot = file;
        } else if (name == "--interactive") {
            noValue();
            options.interactive = true;
        } else if (name == "--window") {
            noValue();
            options.window = true;
        } else if (name == "--watch") {
            noValue();
            options.watch = true;
        } else if (name.size() > 1 && name.front() == '-') {
            throw UsageError("unknown option " + printable(name));
        } else if (name.empty()) {
            throw UsageError("the module's name is empty");
        } else if (moduleGiven) {
            throw UsageError("only one module can be given; " + printable(name) +
                             " is a second one");
        } else {
            options.module = name;
            moduleGiven = true;
        }
    }
    if (!moduleGiven) {
        throw UsageError("no module given");
    }
    if (options.watch && !options.window && !options.interactive) {
        // Without a session nobody would ever see the module loaded again.
        throw UsageError("--watch needs --window or --interactive");
    }
    if (options.window && options.frames == 0) {
        throw UsageError("--window needs a frame to show; --frames 0 shows none");
    }
    if (options.screenshot && options.frames == 0) {
        // The picture would show a canvas nothing was ever drawn on.
        throw UsageError("--screenshot needs a frame to show; --frames 0 draws none");
    }
    return options;
}

std::string usage() {
    const std::string defaultSize =
        std::to_string(kDefaultCanvasSize.X) + "x" + std::to_string(kDefaultCanvasSize.Y);
    return R"(Usage: simhost [OPTION]... MODULE
Loads a plug-in module into the stand-in overlay host, runs console commands and host draws, and
writes what the overlay shows as a PNG picture.

  --size WxH           canvas size, each side 1 to )" +
           std::to_string(Canvas::kMaxSide) + " (default " + defaultSize + R"()
  --frames N           host draws to run after the commands, 0 to )" +
           std::to_string(kMaxFrames) + R"( (default 1)
  --command CMD        console command to run after the module is loaded; repeatable, in order;
                       "quit" skips the commands after it and the interactive session
  --screenshot FILE    write the canvas after the last draw to FILE (.png); needs --frames 1
                       or more
  --interactive        then read console commands from standard input
  --window             show the frames in a resizable window, the canvas following its size,
                       with the console read from standard input beside it; F1 flips
                       cl_tavorinden, F5 loads the module again, F12 writes simhost-N.png,
                       Escape quits. With --frames N it ends after N frames and tells their
                       median and 99th percentile time; --screenshot is written at the end
  --watch              with --window or --interactive: load the module again whenever its file
                       is rebuilt, keeping the console variables' values
  --help               show this help
  --version            show the program's version

The console log goes to standard output exactly as modules write it; the host's own messages go
to standard error. Type "help" at the console for its commands.

Exit status: 0 success, 1 a load or run failure, 2 a usage error.

  simhost check [OPTION]... MODULE
checks that a built module keeps the host's contract; "simhost check --help" says more.
)";
}

}  // namespace simhost
