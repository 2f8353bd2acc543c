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

std::string canvasOutOfMemory(Vector2 size) {
    return "cannot make a " + std::to_string(size.X) + "x" + std::to_string(size.Y) +
           " canvas: out of memory";
}

}  // namespace simhost
