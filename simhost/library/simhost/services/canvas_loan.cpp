#include "simhost/services/canvas_loan.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "simhost/services/canvas.h"

namespace simhost {

namespace {

// The handles loans hand out, taken in turn: an ended loan's handle stays dead for the next
// million draws, whoever draws. Only their addresses are used, so these pages are never touched.
constexpr std::size_t kLoanHandles = std::size_t{1} << 20;
HostCanvas loanHandles[kLoanHandles];

bool isLoanHandle(const HostCanvas* handle) {
    const std::less<const HostCanvas*> before;
    return !before(handle, loanHandles) && before(handle, loanHandles + kLoanHandles);
}

// Draws may run on several hosts' threads at once; a loan lives as long as one draw.
struct Loans {
    std::mutex mutex;
    std::size_t next = 0;
    std::vector<std::pair<const HostCanvas*, Canvas*>> live;
};

Loans& loans() {
    static Loans all;
    return all;
}

}  // namespace

CanvasLoan::CanvasLoan(Canvas& canvas) {
    Loans& all = loans();
    const std::lock_guard lock(all.mutex);
    handle_ = &loanHandles[all.next];
    all.next = (all.next + 1) % kLoanHandles;
    all.live.emplace_back(handle_, &canvas);
}

CanvasLoan::~CanvasLoan() {
    Loans& all = loans();
    const std::lock_guard lock(all.mutex);
    std::erase_if(all.live, [this](const auto& loan) { return loan.first == handle_; });
}

Canvas* canvasBehind(HostCanvas* handle) noexcept {
    if (!isLoanHandle(handle)) {
        return static_cast<Canvas*>(handle);
    }
    Loans& all = loans();
    const std::lock_guard lock(all.mutex);
    const auto loan = std::find_if(all.live.begin(), all.live.end(),
                                   [handle](const auto& each) { return each.first == handle; });
    return loan == all.live.end() ? nullptr : loan->second;
}

}  // namespace simhost
