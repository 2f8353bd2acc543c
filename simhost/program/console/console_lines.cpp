#include "program/console/console_lines.h"

#include <exception>
#include <functional>

namespace simhost {

namespace {

// Reads ahead of the host by this many at most, so endless input cannot fill the memory.
constexpr std::size_t kMaxWaiting = 64;
// How long a reader in the middle of a read gets to finish it when the session ends.
constexpr std::chrono::milliseconds kLastRead{200};

}  // namespace

ConsoleLines::ConsoleLines(std::istream& in)
    : shared_(std::make_shared<Shared>()), reader_(read, std::ref(in), shared_) {}

ConsoleLines::~ConsoleLines() {
    std::unique_lock lock(shared_->mutex);
    shared_->stop = true;
    shared_->changed.notify_all();
    shared_->changed.wait_for(lock, kLastRead, [this] { return shared_->finished; });
    const bool blocked = !shared_->finished && shared_->reading;
    lock.unlock();
    if (blocked) {
        reader_.detach();
    } else {
        reader_.join();
    }
}

std::optional<ConsoleRead> ConsoleLines::next(std::optional<std::chrono::milliseconds> wait) {
    std::unique_lock lock(shared_->mutex);
    const auto arrived = [this] { return !shared_->reads.empty(); };
    if (!wait) {
        shared_->changed.wait(lock, arrived);
    } else if (!shared_->changed.wait_for(lock, *wait, arrived)) {
        return std::nullopt;
    }
    ConsoleRead read = std::move(shared_->reads.front());
    shared_->reads.pop_front();
    shared_->changed.notify_all();
    return read;
}

void ConsoleLines::read(std::istream& in, const std::shared_ptr<Shared>& shared) {
    ConsoleInput input(in);
    for (;;) {
        {
            std::unique_lock lock(shared->mutex);
            shared->changed.wait(
                lock, [&] { return shared->stop || shared->reads.size() < kMaxWaiting; });
            if (shared->stop) {
                break;
            }
            shared->reading = true;
        }
        ConsoleRead read;
        try {
            read = nextRead(input);
        } catch (const std::exception& error) {
            read.status = ConsoleInput::Status::ReadError;
            read.readError = error.what();
        }
        const bool last = read.status == ConsoleInput::Status::End ||
                          read.status == ConsoleInput::Status::ReadError;
        std::lock_guard lock(shared->mutex);
        shared->reading = false;
        shared->reads.push_back(std::move(read));
        shared->changed.notify_all();
        if (last) {
            break;
        }
    }
    std::lock_guard lock(shared->mutex);
    shared->finished = true;
    shared->changed.notify_all();
}

}  // namespace simhost
