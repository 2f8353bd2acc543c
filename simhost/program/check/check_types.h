#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "program/check/child/call_report.h"
#include "simhost/loading/module_calls.h"

// What a check is and what it finds: the types every part of the validator shares.
namespace simhost::check {

struct Settings {
    // Resolved once, before any module code runs: a plug-in may change the working directory.
    std::filesystem::path module;
    long long cycles = kDefaultCycles;
    // Told of every call into the module's code; null for none.
    ModuleCallWatch* watch = nullptr;
    // Told how many cycles the cycles check has finished, after each; empty for none.
    std::function<void(long long done)> cycled;
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
};

}  // namespace simhost::check
