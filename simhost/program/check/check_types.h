#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "program/check/child/call_report.h"
#include "simhost/host.h"

// What a check is and what it finds: the types every part of the validator shares.
namespace simhost::check {

// The explore check's budget and seed, or the one session it replays instead.
struct Exploration {
    std::uint64_t seed = 1;
    long long sessions = 100;
    long long steps = 8;
    // Steps as --replay takes them; checked when the command line was read.
    std::optional<std::string> replay;
};

struct Settings {
    // Resolved once, before any module code runs: a plug-in may change the working directory.
    std::filesystem::path module;
    long long cycles = kDefaultCycles;
    // Told of every call into the module's code and, for the trace, of the plug-in's calls into
    // the host and its drawing.
    HostWatches watches;
    // Told how many cycles the cycles check has finished, after each; empty for none.
    std::function<void(long long done)> cycled;
    Exploration explore;
    // Where every call between host and plug-in is written (--trace), appended to; the
    // standard error stream for "-". Nothing for none.
    std::optional<std::filesystem::path> trace;
    // Told of each step of the explore check before it is taken: the session's number (0 for a
    // replay) and the step as --replay takes it; empty for none.
    std::function<void(long long session, const std::string& step)> stepping;
};

enum class Gate { None, Opening, Loading };

// One promise of the host interface, proved on a built module.
struct Check {
    const char* id;
    const char* description;
    // Whether it needs the module to load; it is skipped when loading failed.
    bool needsLoad;
    Outcome (*run)(const Settings&);
    // The mistakes it tells as warnings, which the host tolerates; none when null.
    const char* warns = nullptr;
    // What its failure means for the checks after it: the module does not open (all are skipped;
    // a file the host would not open fails it at once), or the plug-in does not load (those that
    // need it are skipped).
    Gate gate = Gate::None;
    // Whether its time limit is --timeout once per hundred cycles asked for, so that asking for
    // more cycles is not asking for a timeout.
    bool timedPerHundredCycles = false;
    // Whether it explores: its failure names a session, which is shrunk to a replay.
    bool explores = false;
};

}  // namespace simhost::check
