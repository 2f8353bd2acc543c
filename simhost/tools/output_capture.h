#pragma once

#include <cstddef>
#include <memory>

namespace simhost {

// What the process writes on its standard output and error while a capture lives: both go to a
// file of the capture's own, and on their way back they are written where they were going, so
// nothing is lost. For telling a module that writes on every draw.
class OutputCapture {
public:
    // Nothing is captured when the streams cannot be moved; lines() then says so.
    OutputCapture();
    ~OutputCapture();
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    // The lines written so far (a last line without its end counts); -1 when nothing could be
    // captured.
    long long lines();

private:
    // The streams back where they were, with what was captured.
    void restore() noexcept;

    struct Streams;
    std::unique_ptr<Streams> streams_;
};

}  // namespace simhost
