#include "simhost/services/canvas_loan.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>

#include "simhost/host_error.h"
#include "simhost/services/canvas.h"

namespace simhost {

namespace {

// The handles loans hand out, taken in turn: an ended loan's handle stays dead for the next
// million draws, whoever draws. Only their addresses are used, so these pages are never touched.
constexpr std::size_t kLoanHandles = std::size_t{1} << 20;
HostCanvas loanHandles[kLoanHandles];

bool isLoanHandle(const HostCanvas* handle) {
    const std::less<> before;
    return !before(handle, loanHandles) && before(handle, loanHandles + kLoanHandles);
}

// Draws may run on several hosts' threads at once; a loan lives as long as one draw. A fixed
// table: a draw allocates nothing.
constexpr std::size_t kLoansAtOnce = 256;
struct Loan {
    const HostCanvas* handle = nullptr;
    Canvas* canvas = nullptr;
};
struct Loans {
    std::mutex mutex;
    std::size_t next = 0;
    std::array<Loan, kLoansAtOnce> live{};
};

Loans& loans() {
    static Loans all;
    return all;
}

}  // namespace

CanvasLoan::CanvasLoan(Canvas& canvas) {
    Loans& all = loans();
    const std::lock_guard lock(all.mutex);
    const auto free = std::find_if(all.live.begin(), all.live.end(),
                                   [](const Loan& loan) { return loan.handle == nullptr; });
    if (free == all.live.end()) {
        throw HostError("more than " + std::to_string(kLoansAtOnce) + " draws at once");
    }
    handle_ = &loanHandles[all.next];
    all.next = (all.next + 1) % kLoanHandles;
    *free = {handle_, &canvas};
}

CanvasLoan::~CanvasLoan() {
    Loans& all = loans();
    const std::lock_guard lock(all.mutex);
    for (Loan& loan : all.live) {
        if (loan.handle == handle_) {
            loan = {};
        }
    }
}

Canvas* canvasBehind(HostCanvas* handle) noexcept {
    if (!isLoanHandle(handle)) {
        return static_cast<Canvas*>(handle);
    }
    Loans& all = loans();
    const std::lock_guard lock(all.mutex);
    const auto loan = std::find_if(all.live.begin(), all.live.end(),
                                   [handle](const Loan& each) { return each.handle == handle; });
    return loan == all.live.end() ? nullptr : loan->canvas;
}

}  // namespace simhost
