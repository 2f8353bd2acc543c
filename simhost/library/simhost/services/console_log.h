#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "simhost/export.h"

namespace simhost {

// The host's console log: one line per log call, kept in order and echoed as it comes.
class SIMHOST_API ConsoleLog {
public:
    explicit ConsoleLog(std::ostream* echo = nullptr) : echo_(echo) {}

    void write(std::string line);
    const std::vector<std::string>& lines() const { return lines_; }
    void setEcho(std::ostream* echo) { echo_ = echo; }

private:
    std::ostream* echo_;
    std::vector<std::string> lines_;
};

}  // namespace simhost
