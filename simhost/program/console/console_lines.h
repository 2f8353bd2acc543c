#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "program/console/console_input.h"

namespace simhost {

// Console input read on a thread of its own, so that the host's thread can go on drawing and
// watching while nobody types. The reads are handed over to the host's thread, which alone runs
// them, as the host's one-thread contract asks.
class ConsoleLines {
public:
    // Starts reading `in`, which must outlive the reading: a read blocked on a terminal cannot be
    // called off, so a reader still waiting when this object goes is left to end with the process.
    explicit ConsoleLines(std::istream& in);
    ConsoleLines(const ConsoleLines&) = delete;
    ConsoleLines& operator=(const ConsoleLines&) = delete;
    ~ConsoleLines();

    // The next read, waiting for it at most `wait` (no limit when none is given); nothing when
    // none came in time. After the end of the input or a read error, nothing more comes.
    std::optional<ConsoleRead> next(std::optional<std::chrono::milliseconds> wait);

private:
    // Shared with the reader, which may outlive this object.
    struct Shared {
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<ConsoleRead> reads;
        bool stop = false;
        bool reading = false;
        bool finished = false;
    };
    static void read(std::istream& in, const std::shared_ptr<Shared>& shared);

    std::shared_ptr<Shared> shared_;
    std::thread reader_;
};

}  // namespace simhost
