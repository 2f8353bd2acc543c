#include "simhost/services/overlay.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "simhost/services/canvas.h"
#include "simhost/services/canvas_loan.h"

namespace simhost {

void Overlay::add(ModuleId owner, Drawable drawable) {
    if (!drawable) {
        return;
    }
    (drawing_ ? arrivals_ : entries_).push_back({owner, std::move(drawable)});
}

void Overlay::removeAll(ModuleId owner) {
    for (auto* list : {&entries_, &arrivals_}) {
        for (auto& entry : *list) {
            if (entry.owner == owner) {
                entry.removed = true;
            }
        }
    }
    if (!drawing_) {
        settle();
    }
}

std::size_t Overlay::count(std::optional<ModuleId> owner) const {
    const auto live = [owner](const Entry& entry) {
        return !entry.removed && (!owner || entry.owner == *owner);
    };
    return static_cast<std::size_t>(std::count_if(entries_.begin(), entries_.end(), live) +
                                    std::count_if(arrivals_.begin(), arrivals_.end(), live));
}

void Overlay::draw(Canvas& canvas) {
    struct Settle {
        Overlay& overlay;
        ~Settle() {
            overlay.drawing_ = false;
            overlay.settle();
        }
    } settleAfterwards{*this};
    drawing_ = true;

    // One loan for the whole draw, ended after every drawable has returned.
    const CanvasLoan loan(canvas);
    const CanvasWrapper handle(loan.handle());
    // Entries stay where they are while drawing: arrivals wait apart, removals are only marked.
    for (const Entry& entry : entries_) {
        if (!entry.removed) {
            try {
                entry.drawable(handle);
            } catch (...) {
                throw DrawableFailure(entry.owner, describe(std::current_exception()));
            }
        }
    }
}

void Overlay::settle() {
    std::erase_if(entries_, [](const Entry& entry) { return entry.removed; });
    for (auto& entry : arrivals_) {
        if (!entry.removed) {
            entries_.push_back(std::move(entry));
        }
    }
    arrivals_.clear();
}

}  // namespace simhost
