#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace simhost {

// Console lines read from a stream, with memory bounded whatever arrives: a line longer than
// kMaxLine bytes is skipped to its end, never held.
class ConsoleInput {
public:
    static constexpr std::size_t kMaxLine = std::size_t{1} << 20;

    enum class Status {
        Line,       // line() holds the next line, without its end
        TooLong,    // a line over kMaxLine bytes was skipped
        End,        // nothing more to read
        ReadError,  // reading failed; readError() says why
    };

    explicit ConsoleInput(std::istream& in);
    Status next();
    std::string_view line() const { return {buffer_.data(), length_}; }
    const std::string& readError() const { return readError_; }

private:
    Status failed(std::string why);

    std::istream& in_;
    std::vector<char> buffer_;
    std::size_t length_ = 0;
    std::string readError_;
};

// One read from the console's input, kept apart from the input it came from, so that it can be
// handed from a reading thread to the host's.
struct ConsoleRead {
    ConsoleInput::Status status = ConsoleInput::Status::End;
    std::string line;
    std::string readError;
};

// The next read from `input`.
ConsoleRead nextRead(ConsoleInput& input);

}  // namespace simhost
