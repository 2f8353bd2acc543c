#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

#include "program/check/child/channel_reader.h"
#include "program/check/child/child_process.h"

// What both platforms' child processes share: keeping what a child writes within bounds, and
// when a parent stops waiting for it.
namespace simhost::check {

// A child's output, of which the end is kept, for its last words.
class KeptText final : public ChannelReader {
public:
    explicit KeptText(std::size_t most) : most_(most) {}

    void add(const char* bytes, std::size_t count) override;
    // What was kept, at most `most` bytes.
    std::string text() &&;

private:
    std::size_t most_;
    std::string text_;
};

// Why a parent stops waiting for a child that is still running: the time is up, or a request
// to end came (EndingSignals); nothing while it may go on.
std::optional<ChildEnd::How> cutShort(std::chrono::steady_clock::time_point deadline);

}  // namespace simhost::check
