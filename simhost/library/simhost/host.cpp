#include "simhost/host.h"

namespace simhost {

Host::Host(Vector2 canvasSize)
    : canvas_(canvasSize.X, canvasSize.Y), modules_(log_, variables_, overlay_) {}

void Host::setCallWatch(ModuleCallWatch* watch) {
    watch_ = watch;
    modules_.setCallWatch(watch);
}

void Host::draw() {
    if (scene_) {
        scene_(canvas_);
    }
    if (watch_ != nullptr) {
        watch_->calling(ModuleCall::Draw);
    }
    overlay_.draw(canvas_);
    if (watch_ != nullptr) {
        watch_->returned(ModuleCall::Draw);
    }
}

}  // namespace simhost
