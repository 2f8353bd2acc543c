#include "program/output/error_message.h"

#include "program/output/shown_text.h"

namespace simhost {

std::string errorMessage(const HostError& error) {
    if (error.file().empty()) {
        return errorMessage(error.cause());
    }
    return errorMessage(shown(error.file().string()) + ": " + error.cause());
}

std::string errorMessage(const std::string& cause) {
    return "simhost: " + cause;
}

}  // namespace simhost
