#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

#include "program/check/child_process.h"

// What both platforms' child processes share: keeping what a child writes within bounds, and
// when a parent stops waiting for it.
namespace simhost::check {

// What a child wrote on one channel: its end (the output, for last words) or its beginning (the
// call report, whose overflow is itself a finding).
class KeptText {
public:
    enum class Keep { End, Beginning };
    KeptText(std::size_t most, Keep keep) : most_(most), keep_(keep) {}

    void add(const char* bytes, std::size_t count);
    // What was kept, at most `most` bytes.
    std::string text() &&;
    bool overflowed() const { return overflowed_; }

private:
    std::size_t most_;
    Keep keep_;
    std::string text_;
    bool overflowed_ = false;
};

// Why a parent stops waiting for a child that is still running: the time is up, or a request
// to end came (EndingSignals); nothing while it may go on.
std::optional<ChildEnd::How> cutShort(std::chrono::steady_clock::time_point deadline);

}  // namespace simhost::check
