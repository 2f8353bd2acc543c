#include "simhost/services/canvas_areas.h"

#include <algorithm>

namespace simhost {

void CanvasAreas::add(const CanvasArea& area) {
    if (area.empty() || std::any_of(areas_.begin(), heldEnd(),
                                    [&](const CanvasArea& held) { return held.contains(area); })) {
        return;
    }
    const auto kept = std::remove_if(areas_.begin(), heldEnd(),
                                     [&](const CanvasArea& held) { return area.contains(held); });
    count_ = static_cast<std::size_t>(kept - areas_.begin());
    if (count_ < kMost) {
        areas_[count_++] = area;
        return;
    }
    CanvasArea all = area;
    for (const CanvasArea& held : areas()) {
        all = {std::min(all.left, held.left), std::min(all.top, held.top),
               std::max(all.right, held.right), std::max(all.bottom, held.bottom)};
    }
    areas_[0] = all;
    count_ = 1;
}

void CanvasAreas::add(const CanvasAreas& areas) {
    for (const CanvasArea& area : areas.areas()) {
        add(area);
    }
}

}  // namespace simhost
