#pragma once

#include <cstddef>
#include <optional>

#include "simhost/loading/module_calls.h"
#include "simhost/services/overlay.h"

namespace simhost::check {

// Counts the module's drawables at the moment onUnload returns, before the host drops them
// itself, and passes every call on to the watch it stands in for.
class DrawablesAfterOnUnload final : public ModuleCallWatch {
public:
    explicit DrawablesAfterOnUnload(ModuleCallWatch* next) : next_(next) {}

    void look(const Overlay& overlay, ModuleId owner) {
        overlay_ = &overlay;
        owner_ = owner;
    }
    void calling(ModuleCall call) override {
        if (next_ != nullptr) {
            next_->calling(call);
        }
    }
    void returned(ModuleCall call) override {
        if (call == ModuleCall::OnUnload && overlay_ != nullptr) {
            left = overlay_->count(owner_);
        }
        if (next_ != nullptr) {
            next_->returned(call);
        }
    }

    std::optional<std::size_t> left;

private:
    ModuleCallWatch* next_;
    const Overlay* overlay_ = nullptr;
    ModuleId owner_ = 0;
};

}  // namespace simhost::check
