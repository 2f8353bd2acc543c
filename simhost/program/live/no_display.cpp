// Builds without SDL2 have no window; the program refuses --window before it gets here.
#include "program/live/display.h"
#include "simhost/host_error.h"

namespace simhost {

bool displayAvailable() {
    return false;
}

std::unique_ptr<Display> openDisplay(Vector2 /*size*/, const std::string& /*title*/) {
    throw HostError("this build has no window");
}

}  // namespace simhost
