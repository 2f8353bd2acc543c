#include "program/console/console_input.h"

#include <istream>
#include <limits>

namespace simhost {

ConsoleInput::ConsoleInput(std::istream& in) : in_(in), buffer_(kMaxLine + 1) {}

ConsoleInput::Status ConsoleInput::next() {
    length_ = 0;
    try {
        in_.getline(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        const auto read = static_cast<std::size_t>(in_.gcount());
        if (in_.bad()) {
            return failed("read error");
        }
        if (in_.fail() && read == kMaxLine) {  // the buffer filled before the line ended
            in_.clear();
            in_.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
            return in_.bad() ? failed("read error") : Status::TooLong;
        }
        if (in_.fail()) {
            return Status::End;
        }
        // The line's end was taken from the stream too, unless the stream ended first.
        length_ = in_.eof() ? read : read - 1;
        return Status::Line;
    } catch (const std::ios_base::failure& failure) {  // a stream that throws on read errors
        return failed(failure.code().message());
    }
}

ConsoleInput::Status ConsoleInput::failed(std::string why) {
    readError_ = std::move(why);
    return Status::ReadError;
}

ConsoleRead nextRead(ConsoleInput& input) {
    ConsoleRead read{input.next(), {}, {}};
    if (read.status == ConsoleInput::Status::Line) {
        read.line = input.line();
    }
    read.readError = input.readError();
    return read;
}

}  // namespace simhost
