#include "program/check/battery.h"

#include <chrono>
#include <exception>

#include "program/check/checks.h"
#include "program/output/call_trace.h"
#include "program/output/shown_text.h"
#include "simhost/host_error.h"

namespace simhost::check {

const std::vector<Check>& battery() {
    static const std::vector<Check> checks{
        {.id = "opens",
         .description =
             "the module opens with every import resolved; missing host operations are named",
         .needsLoad = false,
         .run = opens,
         .gate = Gate::Opening},
        {"record",
         "the record 'exports' is there, speaks this host's API, and its texts and entries "
         "lie inside the module",
         false, record},
        {"base-class",
         "the module exports the base class's special members, onLoad, onUnload and "
         "its virtual-function table",
         false, baseClass},
        {"entries",
         "getPlugin and deleteMe are exported under those plain names and are the record's "
         "entries; the creation entry gives one object at one address; the release entry "
         "before any creation and twice in a row does nothing",
         false, entries},
        {.id = "load",
         .description = "onLoad returns once the services are placed; says what it registered",
         .needsLoad = false,
         .run = load,
         .gate = Gate::Loading},
        {"variables",
         "each variable has a lower-case name without blanks, a default within its "
         "bounds and a description; bound booleans agree with their variables",
         true, variables,
         "a name registered more than once (the host keeps the first registration)"},
        {"drawing",
         "every drawable survives canvases from 0x0 to the largest, with each bound "
         "variable at both ends of its range",
         true, drawing, "drawing outside the canvas; output on every draw"},
        {"unload", "after onUnload no drawable of the module is left or called; its variables stay",
         true, unload},
        {"release",
         "the object goes with the release entry and the host's copy, and not before the "
         "host's copy goes",
         true, release},
        {.id = "cycles",
         .description = "load and unload cycles leave heap and mapped memory flat",
         .needsLoad = true,
         .run = cycles,
         .timedPerHundredCycles = true},
        {"module-unmaps", "after the last release the module file is unmapped", true, moduleUnmaps,
         "a module that pins itself in memory"},
        {"draw-cost",
         "median time of a draw at 1920x1080, at most a quarter of a 60 Hz frame; heap flat over "
         "the draws",
         true, drawCost, "a median draw above 1 % of a 60 Hz frame"},
        {.id = "explore",
         .description =
             "random host sessions drawn from --seed (loads, draws from 0x0 to the longest "
             "side, variables set to texts in and out of bounds, unloads in each order a host "
             "may use, the module kept open and loaded again) keep the contract after every "
             "step: no crash, hang or exception, no drawable left after onUnload, bound booleans "
             "agree with their variables, every load registers what the session's first did, "
             "no heap growth on every draw; a failure is shrunk to its shortest replay. It "
             "proves only the sessions it drew: none of the host's own threads, timers or games",
         .needsLoad = true,
         .run = explore,
         .explores = true},
    };
    return checks;
}

Outcome runCheck(const Check& check, const Settings& settings) {
    const auto start = std::chrono::steady_clock::now();
    Outcome outcome;
    try {
        outcome = check.run(settings);
    } catch (const HostError& error) {
        outcome = fail(error.cause());
    } catch (...) {
        outcome = fail("exception: " + describe(std::current_exception()));
    }
    outcome.reason = oneLine(outcome.reason);
    outcome.milliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return outcome;
}

Outcome runTraced(const Check& check, Settings settings, std::ostream& standardError) {
    if (!settings.trace) {
        return runCheck(check, settings);
    }
    TraceOutput output(*settings.trace, standardError);
    if (output.stream() == nullptr) {
        return fail("cannot write the trace to " + printable(settings.trace->string()));
    }
    *output.stream() << "check " << check.id << '\n';
    CallTrace trace(*output.stream(), settings.watches.calls);
    settings.watches = {&trace, &trace, &trace};
    return runCheck(check, settings);
}

}  // namespace simhost::check
