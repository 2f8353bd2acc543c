#include "program/check/explore/session_host.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "program/console/command_split.h"
#include "program/values/counting.h"
#include "simhost/host_error.h"
#include "simhost/services/console_names.h"
#include "tools/module_probes.h"

namespace simhost::check {

namespace {

// A draw that leaks does so every time: after a first draw, each of these grows the heap.
constexpr int kMeasuredDraws = 3;
constexpr long long kMostPixelsMeasured = 1920LL * 1080;

std::string registeredText(std::size_t drawables, std::size_t variables) {
    return counted(drawables, "drawable", "drawables") + " and " +
           counted(variables, "variable", "variables");
}

}  // namespace

SessionHost::SessionHost(std::filesystem::path module, const HostWatches& watches, bool measureHeap)
    : module_(std::move(module)), measureHeap_(measureHeap), host_({320, 180}) {
    host_.setWatches(watches);
}

SessionHost::~SessionHost() {
    host_.modules().unloadAll();
    if (kept_) {
        kept_->close();
    }
}

std::optional<Broken> SessionHost::take(const Step& step) {
    std::optional<Broken> broken;
    switch (step.kind) {
        case Step::Kind::Load:
            broken = load();
            break;
        case Step::Kind::Draw:
            broken = draw(step.size);
            break;
        case Step::Kind::Set:
            if (ConsoleVariable* variable = host_.variables().find(step.name)) {
                variable->set(step.text);
            }
            break;
        default:
            broken = unload(step.kind);
    }
    return broken ? broken : booleansAgree();
}

SessionHost::Registered SessionHost::registered() {
    Registered what{host_.overlay().count(*id_), {}};
    for (const ConsoleVariable* variable : host_.variables().createdBy(*id_)) {
        what.names.push_back(variable->name());
    }
    return what;
}

std::optional<Broken> SessionHost::load() {
    if (id_) {
        return std::nullopt;
    }
    try {
        if (kept_) {
            PluginModule module = *std::move(kept_);
            kept_.reset();
            id_ = host_.modules().load(std::move(module));
        } else {
            id_ = host_.modules().load(module_);
        }
    } catch (const HostError& error) {
        return Broken{"loading failed", error.cause()};
    }
    const Registered now = registered();
    if (!firstLoad_) {
        firstLoad_ = now;
        for (const std::string& name : now.names) {
            const auto& definition = host_.variables().find(name)->definition();
            if (!isConsoleCommand(name) && typedAsItIs(name)) {
                variables_.push_back({name, definition.minimum, definition.maximum});
            }
        }
    } else if (now != *firstLoad_) {
        return Broken{"a load registered other than the session's first load",
                      registeredText(now.drawables, now.names.size()) + ", not " +
                          registeredText(firstLoad_->drawables, firstLoad_->names.size())};
    }
    return std::nullopt;
}

std::optional<Broken> SessionHost::unload(Step::Kind how) {
    if (!id_) {
        return std::nullopt;
    }
    const ModuleId id = *id_;
    id_.reset();
    std::optional<Broken> broken;
    std::size_t left = 0;
    try {
        if (how == Step::Kind::UnloadKeep) {
            KeptModule kept = host_.modules().unloadKeepingFile(id);
            kept_.emplace(std::move(kept.module));
            left = kept.drawablesLeft;
            if (!kept.leaving) {
                broken = Broken{"unloading failed", kept.leaving.reason()};
            }
        } else {
            left = host_.modules().unload(
                id, {.releaseBeforeHostCopy = how == Step::Kind::UnloadEarly});
        }
    } catch (const HostError& error) {
        broken = Broken{"unloading failed", error.cause()};
    }
    if (!broken && left != 0) {
        broken = Broken{"onUnload left drawables registered", std::to_string(left)};
    }
    return broken;
}

std::optional<Broken> SessionHost::draw(Vector2 size) {
    Canvas& canvas = host_.canvas();
    try {
        canvas.resize(size.X, size.Y);
    } catch (const std::bad_alloc&) {
        return std::nullopt;  // no memory here for a canvas this large: nothing of the module's
    }
    try {
        host_.draw();
        // A leak on every draw shows at every size: the largest canvases, whose draws cost the
        // most, are not drawn again to look.
        const long long pixels = static_cast<long long>(size.X) * size.Y;
        if (!measureHeap_ || !id_ || pixels > kMostPixelsMeasured) {
            return std::nullopt;
        }
        std::optional<MemoryUse> before = memoryUse();
        for (int i = 0; i < kMeasuredDraws && before; ++i) {
            host_.draw();
            const std::optional<MemoryUse> after = memoryUse();
            if (!after || after->heapBytes <= before->heapBytes) {
                return std::nullopt;
            }
            before = after;
        }
        if (before) {
            return Broken{
                "the heap grew on each of " + std::to_string(kMeasuredDraws) + " draws in a row",
                {}};
        }
    } catch (...) {
        return Broken{"a draw failed", describe(std::current_exception())};
    }
    return std::nullopt;
}

std::optional<Broken> SessionHost::booleansAgree() {
    if (!id_) {
        return std::nullopt;
    }
    for (const ConsoleVariable* variable : host_.variables().all()) {
        for (const auto& [owner, flag] : variable->bindings()) {
            if (owner == *id_ && *flag != (variable->number() != 0.0f)) {
                return Broken{"a bound boolean disagrees with its variable",
                              variable->name() + " is " + variable->text()};
            }
        }
    }
    return std::nullopt;
}

}  // namespace simhost::check
