#include "program/check/child/child_output.h"

#include "program/process/ending_signals.h"

namespace simhost::check {

void KeptText::add(const char* bytes, std::size_t count) {
    text_.append(bytes, count);
    // Trimmed now and then rather than at every write: the memory stays within twice the bound.
    if (text_.size() > 2 * most_) {
        text_.erase(0, text_.size() - most_);
    }
}

std::string KeptText::text() && {
    if (text_.size() > most_) {
        text_.erase(0, text_.size() - most_);
    }
    return std::move(text_);
}

std::optional<ChildEnd::How> cutShort(std::chrono::steady_clock::time_point deadline) {
    if (std::chrono::steady_clock::now() >= deadline) {
        return ChildEnd::How::TimedOut;
    }
    if (EndingSignals::received() != 0) {
        return ChildEnd::How::Interrupted;
    }
    return std::nullopt;
}

}  // namespace simhost::check
