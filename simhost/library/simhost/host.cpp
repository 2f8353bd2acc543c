#include "simhost/host.h"

namespace simhost {

Host::Host(Vector2 canvasSize)
    : canvas_(canvasSize.X, canvasSize.Y), modules_(log_, variables_, overlay_) {}

void Host::draw() {
    if (scene_) {
        scene_(canvas_);
    }
    overlay_.draw(canvas_);
}

}  // namespace simhost
