#include "simhost/host.h"

#include <new>

namespace simhost {

Host::Host(Vector2 canvasSize)
    : canvas_(canvasSize.X, canvasSize.Y), modules_(log_, variables_, overlay_) {}

void Host::setScene(std::function<void(Canvas&)> scene) {
    scene_ = std::move(scene);
    scenePaintedCurrent_ = false;
}

void Host::setCallWatch(ModuleCallWatch* watch) {
    watch_ = watch;
    modules_.setCallWatch(watch);
}

void Host::setWatches(const HostWatches& watches) {
    setCallWatch(watches.calls);
    setServiceWatch(watches.services);
    canvas_.setObserver(watches.canvas);
}

void Host::draw() {
    changed_ = canvas_.touched();
    if (scene_) {
        restoreScene();
    }
    canvas_.forgetTouched();
    watched(watch_, ModuleCall::Draw, [this] { overlay_.draw(canvas_); });
    changed_.add(canvas_.touched());
}

void Host::restoreScene() {
    const CanvasArea whole{0, 0, canvas_.width(), canvas_.height()};
    if (scenePaintedCurrent_ && scenePainted_.size().X == whole.right &&
        scenePainted_.size().Y == whole.bottom) {
        for (const CanvasArea& area : changed_.areas()) {
            canvas_.copyArea(scenePainted_, area);
        }
        return;
    }
    changed_.add(whole);
    try {
        scenePainted_.resize(whole.right, whole.bottom);
    } catch (const std::bad_alloc&) {
        // No room for a second canvas: the scene is painted on the canvas itself, every draw.
        scenePainted_.resize(0, 0);
        scenePaintedCurrent_ = false;
        scene_(canvas_);
        return;
    }
    scene_(scenePainted_);
    scenePaintedCurrent_ = true;
    canvas_.copyArea(scenePainted_, whole);
}

}  // namespace simhost
