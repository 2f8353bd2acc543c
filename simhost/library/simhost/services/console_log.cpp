#include "simhost/services/console_log.h"

#include <ostream>

namespace simhost {

void ConsoleLog::write(std::string line) {
    if (echo_ != nullptr) {
        *echo_ << line << '\n' << std::flush;
    }
    lines_.push_back(std::move(line));
}

}  // namespace simhost
