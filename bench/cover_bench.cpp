// What the cover costs the frame, against the least a drawable and the least this work can cost.
//
//   cover_bench [benchmark options] [--instructions CASE=N,...]
//       runs the benchmarks and prints one table: time, ratio to the least possible and, when
//       given, instructions per draw (scripts/bench counts them with callgrind);
//   cover_bench --draw CASE --times N
//       only draws, for an instruction counter;
//   cover_bench --frame-copy N
//       prints the median of N copies of one 1920x1080 canvas (8 MB) with memcpy, in ms: what
//       the live window's frames are measured against.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <iomanip>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "draw_cases.h"
#include "simhost/host.h"
#include "simhost/loading/plugin_module.h"

namespace {

void drawBenchmark(benchmark::State& state, const std::string& name) {
    DrawCase drawCase(name);
    for (auto _ : state) {
        drawCase.draw(1);
    }
}

// The plug-in's whole life in the host: create, load, unload, release; with or without opening
// and closing the file around it.
void moduleCycle(benchmark::State& state, bool reopen) {
    simhost::Host host;
    auto& modules = host.modules();
    if (reopen) {
        for (auto _ : state) {
            modules.unload(modules.load(TAVORINDEN_MODULE));
        }
        return;
    }
    simhost::PluginModule kept(TAVORINDEN_MODULE);
    for (auto _ : state) {
        simhost::KeptModule out = modules.unloadKeepingFile(modules.load(std::move(kept)));
        if (!out.leaving) {
            state.SkipWithError(out.leaving.reason().c_str());
            break;
        }
        kept = std::move(out.module);
    }
}

// Keeps each case's time per iteration as the benchmarks report it.
class TableReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration) {
                nanoseconds[run.benchmark_name()] = run.GetAdjustedRealTime();
            }
        }
    }
    std::map<std::string, double> nanoseconds;
};

std::map<std::string, std::string> parseInstructions(const std::string& list) {
    std::map<std::string, std::string> result;
    std::stringstream entries(list);
    std::string entry;
    while (std::getline(entries, entry, ',')) {
        const auto equals = entry.find('=');
        if (equals != std::string::npos) {
            result[entry.substr(0, equals)] = entry.substr(equals + 1);
        }
    }
    return result;
}

void printTable(const std::map<std::string, double>& ns,
                const std::map<std::string, std::string>& instructions) {
    const auto at = [&](const std::string& name) {
        const auto found = ns.find("draw/" + name);
        return found == ns.end() ? 0.0 : found->second;
    };
    const std::map<std::string, std::string> leastOf{{"plugin-on", "hand-written"},
                                                     {"plugin-off", "empty"}};
    std::cout << "\n| case | ns per draw | ratio to least possible | instructions per draw |\n"
              << "|---|---:|---:|---:|\n";
    for (const std::string& name : DrawCase::names()) {
        std::cout << "| " << name << " | " << std::fixed << std::setprecision(1) << at(name)
                  << " | ";
        if (const auto least = leastOf.find(name);
            least != leastOf.end() && at(least->second) > 0) {
            std::cout << std::setprecision(2) << at(name) / at(least->second) << " (vs "
                      << least->second << ")";
        } else {
            std::cout << "-";
        }
        const auto counted = instructions.find(name);
        std::cout << " | " << (counted == instructions.end() ? "-" : counted->second) << " |\n";
    }
    for (const char* cycle : {"module-cycle/with-open-and-close", "module-cycle/file-kept-open"}) {
        const auto found = ns.find(cycle);
        if (found != ns.end()) {
            std::cout << "| " << cycle << " | " << std::setprecision(0) << found->second
                      << " | - | - |\n";
        }
    }
}

// The median time of `times` 8 MB copies, between buffers written beforehand so that no copy
// pays for the system handing out pages.
double medianFrameCopyMs(long long times) {
    constexpr std::size_t kFrameBytes = std::size_t{1920} * 1080 * 4;
    std::vector<std::byte> from(kFrameBytes, std::byte{1});
    std::vector<std::byte> to(kFrameBytes, std::byte{2});
    std::vector<double> ms;
    for (long long i = 0; i < std::max(times, 1LL); ++i) {
        const auto start = std::chrono::steady_clock::now();
        std::memcpy(to.data(), from.data(), kFrameBytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::nth_element(ms.begin(), ms.begin() + static_cast<std::ptrdiff_t>(ms.size() / 2), ms.end());
    return ms[ms.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> rest{argv[0]};
    std::string drawOnly;
    long long times = 0;
    std::string instructions;
    long long frameCopies = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--draw" && i + 1 < argc) {
            drawOnly = argv[++i];
        } else if (argument == "--times" && i + 1 < argc) {
            times = std::atoll(argv[++i]);
        } else if (argument == "--frame-copy" && i + 1 < argc) {
            frameCopies = std::atoll(argv[++i]);
        } else if (argument == "--instructions" && i + 1 < argc) {
            instructions = argv[++i];
        } else {
            rest.push_back(argv[i]);
        }
    }
    if (frameCopies > 0) {
        std::cout << std::fixed << std::setprecision(4) << medianFrameCopyMs(frameCopies) << '\n';
        return 0;
    }
    if (!drawOnly.empty()) {
        DrawCase drawCase(drawOnly);
        drawCase.draw(times);
        return 0;
    }

    for (const std::string& name : DrawCase::names()) {
        benchmark::RegisterBenchmark(("draw/" + name).c_str(), drawBenchmark, name);
    }
    benchmark::RegisterBenchmark("module-cycle/with-open-and-close", moduleCycle, true);
    benchmark::RegisterBenchmark("module-cycle/file-kept-open", moduleCycle, false);

    int count = static_cast<int>(rest.size());
    benchmark::Initialize(&count, rest.data());
    if (benchmark::ReportUnrecognizedArguments(count, rest.data())) {
        return 2;
    }
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printTable(reporter.nanoseconds, parseInstructions(instructions));
    benchmark::Shutdown();
    return 0;
}
