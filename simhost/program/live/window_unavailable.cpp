// The window for builds without SDL2: the program refuses --window before it gets here.
#include <ostream>

#include "program/error_message.h"
#include "program/live/window.h"

namespace simhost {

bool windowAvailable() {
    return false;
}

int runWindow(Host& /*host*/, Console& /*console*/, const WindowRun& /*run*/, std::istream& /*in*/,
              std::ostream& /*out*/, std::ostream& err) {
    err << errorMessage("this build has no window") << '\n';
    return 1;
}

}  // namespace simhost
