// Checks on the plug-in loaded into a host, each in a host of its own.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "program/check/checks.h"
#include "program/check/memory_growth.h"
#include "program/output/shown_text.h"
#include "program/output/variable_problems.h"
#include "program/values/counting.h"
#include "program/values/number_parsers.h"
#include "simhost/host.h"
#include "simhost/services/console_names.h"
#include "simhost/services/console_variable.h"
#include "simhost/services/console_variables.h"
#include "tools/module_probes.h"
#include "tools/output_capture.h"

namespace simhost::check {

namespace {

// The canvas sizes every drawable must survive: nothing, a pixel, tiny, common screens, odd
// sizes and the largest this host draws on.
const std::vector<Vector2>& sweepSizes() {
    static const std::vector<Vector2> sizes{
        {0, 0},      {1, 1},       {5, 5},       {1280, 720},
        {1366, 768}, {1920, 1080}, {2560, 1440}, {3840, 2160},
        {333, 201},  {1, 16384},   {16384, 1},   {Canvas::kMaxSide, Canvas::kMaxSide}};
    return sizes;
}

// Notes a drawable reaching outside the canvas, and passes its calls on to the trace.
class OutsideWatch : public CanvasObserver {
public:
    explicit OutsideWatch(Canvas& canvas) : canvas_(canvas), next_(canvas.observer()) {
        canvas_.setObserver(this);
    }
    OutsideWatch(const OutsideWatch&) = delete;
    OutsideWatch& operator=(const OutsideWatch&) = delete;
    ~OutsideWatch() { canvas_.setObserver(next_); }

    void called(const CanvasCall& call) override {
        if (next_ != nullptr) {
            next_->called(call);
        }
        if (call.kind != CanvasCall::Kind::DrawRect || !first.empty()) {
            return;
        }
        const Vector2 size = canvas_.size();
        for (const Vector2 corner : {call.first, call.second}) {
            if (corner.X < 0 || corner.Y < 0 || corner.X > size.X || corner.Y > size.Y) {
                first = "DrawRect((" + std::to_string(call.first.X) + ", " +
                        std::to_string(call.first.Y) + "), (" + std::to_string(call.second.X) +
                        ", " + std::to_string(call.second.Y) + ")) on a " + canvasSizeText(size) +
                        " canvas";
                return;
            }
        }
    }

    std::string first;  // the first call that reached outside, if any

private:
    Canvas& canvas_;
    CanvasObserver* next_;
};

// A host of its own with the module loaded in it, every call into the module told.
struct Loaded {
    explicit Loaded(const Settings& settings, Vector2 size = {320, 180}) : host(size) {
        host.setWatches(settings.watches);
        id = host.modules().load(settings.module);
    }

    std::vector<ConsoleVariable*> variables() { return host.variables().createdBy(id); }

    Host host;
    ModuleId id = 0;
};

// What keeps a player from typing the name at the console, the first thing found; empty for a
// name a console line reads back as itself.
std::string nameProblem(const std::string& name) {
    if (name.empty() || std::any_of(name.begin(), name.end(), [](unsigned char c) {
            return std::isupper(c) != 0 || std::isspace(c) != 0;
        })) {
        return "is not a lower-case name without blanks";
    }
    if (std::any_of(name.begin(), name.end(), [](unsigned char c) { return std::iscntrl(c); })) {
        return "cannot be typed at the console: it holds a control character";
    }
    for (const auto& [part, what] : {std::pair{"\"", "a double quote, which groups words"},
                                     std::pair{";", "';', which ends a command"},
                                     std::pair{"//", "'//', which starts a comment"}}) {
        if (name.find(part) != std::string::npos) {
            return std::string("cannot be typed at the console: it holds ") + what;
        }
    }
    return {};
}

}  // namespace

Outcome load(const Settings& settings) {
    Loaded loaded(settings);
    return pass("logged " + counted(loaded.host.log().lines().size(), "line", "lines") +
                ", registered " + counted(loaded.variables().size(), "variable", "variables") +
                " and " + counted(loaded.host.overlay().count(loaded.id), "drawable", "drawables"));
}

Outcome variables(const Settings& settings) {
    Loaded loaded(settings);
    std::vector<std::string> problems;
    std::vector<std::string> shadowed;
    std::vector<std::string> warnings;
    for (const ConsoleVariable* variable : loaded.variables()) {
        const auto& definition = variable->definition();
        const std::string name = printable(variable->name());
        if (isConsoleCommand(variable->name())) {
            shadowed.push_back(name);
        }
        if (variable->registrations() > 1) {
            warnings.push_back(name + " is registered " +
                               std::to_string(variable->registrations()) +
                               " times; the host keeps the first registration's default, bounds "
                               "and description");
        }
        if (const std::string problem = nameProblem(variable->name()); !problem.empty()) {
            problems.push_back(name);
            problems.back().append(" ").append(problem);
        }
        if (definition.description.empty()) {
            problems.push_back(name + " has no description");
        }
        // Judged as the host reads it, in the console's words for the same default.
        if (std::string problem = defaultProblem(*variable); !problem.empty()) {
            problems.push_back(std::move(problem));
        }
        for (const auto& [owner, flag] : variable->bindings()) {
            if (owner == loaded.id && *flag != (variable->number() != 0.0f)) {
                problems.push_back(name + "'s bound boolean disagrees with its value");
            }
        }
    }
    if (!problems.empty()) {
        return fail(joined(problems, "; "));
    }
    if (!shadowed.empty()) {
        warnings.insert(warnings.begin(), joined(shadowed) +
                                              " is named like a console command, "
                                              "which the console runs instead");
    }
    return warnings.empty() ? pass() : warn(joined(warnings, "; "));
}

// A draw that takes longer holds the game for whole seconds: no frame rate survives it.
constexpr std::chrono::seconds kSlowestDraw(1);

// Output on every draw reaches the player's console sixty times a second: told after the sweep,
// over draws that have already shown they survive, so no crash's last words are held back.
std::optional<std::string> outputOnEveryDraw(Loaded& loaded) {
    constexpr long long kDraws = 10;
    const std::size_t loggedBefore = loaded.host.log().lines().size();
    long long written = 0;
    {
        OutputCapture capture;
        for (long long draw = 0; draw < kDraws; ++draw) {
            loaded.host.draw();
        }
        written = std::max(capture.lines(), 0LL);
    }
    written += static_cast<long long>(loaded.host.log().lines().size() - loggedBefore);
    if (written < kDraws) {
        return std::nullopt;
    }
    return "it writes output on every draw: " +
           counted(static_cast<std::size_t>(written), "line", "lines") + " over " +
           std::to_string(kDraws) + " draws";
}

Outcome drawing(const Settings& settings) {
    Loaded loaded(settings);
    Canvas& canvas = loaded.host.canvas();
    OutsideWatch outside(canvas);
    const auto drawAt = [&](Vector2 size, const std::string& when) -> std::optional<Outcome> {
        canvas.resize(size.X, size.Y);
        const auto start = std::chrono::steady_clock::now();
        try {
            loaded.host.draw();
        } catch (...) {
            return fail("drawing on a " + canvasSizeText(size) + " canvas" + when +
                        " failed: " + describe(std::current_exception()));
        }
        // Told at once, at its size, rather than as the whole check's time running out.
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (took > kSlowestDraw) {
            char seconds[32];
            std::snprintf(seconds, sizeof seconds, "%.1f", took.count());
            return fail("a draw on a " + canvasSizeText(size) + " canvas" + when + " took " +
                        seconds + " s, where a 60 Hz frame has 0.017");
        }
        return std::nullopt;
    };
    for (const Vector2 size : sweepSizes()) {
        if (auto failed = drawAt(size, "")) {
            return *failed;
        }
    }
    // Each bound variable at both ends of its range (0 and 1 where it has no bound).
    for (ConsoleVariable* variable : loaded.variables()) {
        if (variable->bindings().empty()) {
            continue;
        }
        const auto& definition = variable->definition();
        for (const float end :
             {definition.minimum.value_or(0.0f), definition.maximum.value_or(1.0f)}) {
            variable->set(formatNumber(end));
            const std::string when = " with " + variable->name() + " " + variable->text();
            if (auto failed = drawAt({1920, 1080}, when)) {
                return *failed;
            }
        }
    }
    std::vector<std::string> warnings;
    if (!outside.first.empty()) {
        warnings.push_back("a drawable reached outside the canvas: " + outside.first);
    }
    if (auto chatty = outputOnEveryDraw(loaded)) {
        warnings.push_back(std::move(*chatty));
    }
    if (!warnings.empty()) {
        return warn(joined(warnings, "; "));
    }
    return pass(counted(sweepSizes().size(), "canvas size", "canvas sizes"));
}

Outcome unload(const Settings& settings) {
    Loaded loaded(settings);
    std::vector<std::string> names;
    for (const ConsoleVariable* variable : loaded.variables()) {
        names.push_back(variable->name());
    }
    // onUnload once, as a host calls it.
    if (const std::size_t left = loaded.host.modules().unload(loaded.id); left != 0) {
        return fail("onUnload left " + counted(left, "drawable", "drawables") + " registered");
    }
    // They stay, no longer the module's, for the next module that registers them.
    const auto dropped = std::count_if(names.begin(), names.end(), [&](const std::string& name) {
        return loaded.host.variables().find(name) == nullptr;
    });
    if (dropped != 0) {
        return fail("unloading dropped " +
                    counted(static_cast<std::size_t>(dropped), "variable", "variables"));
    }
    return pass();
}

Outcome release(const Settings& settings) {
    {
        // The host's own order: its copy goes, then the release entry.
        Loaded loaded(settings);
        std::weak_ptr<BakkesMod::Plugin::BakkesModPlugin> object =
            loaded.host.modules().find(loaded.id)->plugin;
        KeptModule kept = loaded.host.modules().unloadKeepingFile(loaded.id);
        const bool outlived = !object.expired();
        object.reset();  // its shared count is the module's code: gone before the module closes
        watched(settings.watches.calls, ModuleCall::Close, [&kept] { kept.module.close(); });
        if (!kept.leaving) {
            throw kept.module.fail(kept.leaving.reason());
        }
        if (outlived) {
            return fail("the object outlived the release entry and the host's copy");
        }
    }
    // A host still holding a copy keeps the object alive past the release entry.
    PluginModule module = watched(settings.watches.calls, ModuleCall::Open,
                                  [&settings] { return PluginModule(settings.module); });
    auto copy =
        watched(settings.watches.calls, ModuleCall::Create, [&module] { return module.create(); });
    std::weak_ptr<BakkesMod::Plugin::BakkesModPlugin> object = copy;
    watched(settings.watches.calls, ModuleCall::Release, [&module] { module.release(); });
    const bool wentEarly = object.expired();
    copy.reset();
    const bool outlived = !object.expired();
    object.reset();
    watched(settings.watches.calls, ModuleCall::Close, [&module] { module.close(); });
    if (wentEarly) {
        return fail("the object went with the release entry while the host still held a copy");
    }
    if (outlived) {
        return fail("the object outlived the release entry and the host's copy");
    }
    return pass();
}

// A probe that could not look proves nothing: never a pass.
constexpr const char* kCannotLookAtMemory =
    "could not look whether memory stays flat: the process's memory figures cannot be read";

Outcome cycles(const Settings& settings) {
    if (kSanitizedAllocator && settings.cycles > 0) {
        return skip("memory cannot be measured under AddressSanitizer");
    }
    const auto cycle = [&settings] {
        Loaded loaded(settings);
        loaded.host.draw();
        loaded.host.modules().unload(loaded.id);
    };
    // The system loader and the C runtime enlarge tables of their own over the first few dozen
    // loads; they settle before anything is measured.
    constexpr int kSettlingCycles = 100;
    for (int i = 0; i < kSettlingCycles; ++i) {
        cycle();
    }
    MemoryGrowth memory(settings.cycles);
    for (long long i = 1; i <= settings.cycles; ++i) {
        cycle();
        if (settings.cycled) {
            settings.cycled(i);
        }
        if (!memory.look(i)) {
            return fail(kCannotLookAtMemory);
        }
    }
    const std::string seen = counted(static_cast<std::size_t>(settings.cycles), "cycle", "cycles");
    if (const auto grew = memory.growth()) {
        return fail(seen + ": " + *grew);
    }
    return pass(seen);
}

Outcome moduleUnmaps(const Settings& settings) {
    {
        Loaded loaded(settings);
        loaded.host.modules().unload(loaded.id);
    }
    const std::optional<bool> mapped = isMapped(settings.module);
    if (!mapped) {
        // A probe that could not look proves nothing: never a pass.
        return fail(
            "could not look whether the module stays mapped: the process's map of its "
            "memory cannot be read");
    }
    if (*mapped) {
        return warn("the module stays mapped after its last release: it pins itself");
    }
    return pass();
}

Outcome drawCost(const Settings& settings) {
    constexpr double kFrameMicroseconds = 1e6 / 60;
    constexpr double kWarnAbove = kFrameMicroseconds / 100;
    constexpr double kFailAbove = kFrameMicroseconds / 4;
    constexpr std::size_t kDraws = 1000;
    constexpr std::size_t kEnoughToTell = 100;
    Loaded loaded(settings, {1920, 1080});
    for (int i = 0; i < 10; ++i) {
        loaded.host.draw();  // warm
    }
    std::vector<double> microseconds;
    microseconds.reserve(kDraws);
    // A draw that leaks does so on every frame: the draws are a run like the cycles.
    MemoryGrowth memory(static_cast<long long>(kDraws));
    while (microseconds.size() < kDraws) {
        const auto start = std::chrono::steady_clock::now();
        loaded.host.overlay().draw(loaded.host.canvas());
        microseconds.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
        if (!kSanitizedAllocator && !memory.look(static_cast<long long>(microseconds.size()))) {
            return fail(kCannotLookAtMemory);
        }
        // A drawable that plainly costs too much is not timed a thousand times over.
        if (microseconds.size() == kEnoughToTell && percentile(microseconds, 50) > kFailAbove) {
            break;
        }
    }
    const double typical = percentile(microseconds, 50);
    char text[96];
    std::snprintf(text, sizeof text, "median %.1f us per draw over %zu draws", typical,
                  microseconds.size());
    if (typical > kFailAbove) {
        return fail(std::string(text) + ", more than a quarter of a 60 Hz frame");
    }
    if (const auto grew = memory.growth(); grew && !kSanitizedAllocator) {
        return fail(counted(kDraws, "draw", "draws") + ": " + *grew);
    }
    if (typical > kWarnAbove) {
        return warn(std::string(text) + ", more than 1 % of a 60 Hz frame");
    }
    return pass(text);
}

}  // namespace simhost::check
