#include "bakkesmod/game_wrapper.h"

#include "bakkesmod/overlay.h"

GameWrapper::GameWrapper(simhost::Overlay& overlay, simhost::ModuleId owner)
    : overlay_(&overlay), owner_(owner) {}

GameWrapper::~GameWrapper() = default;

void GameWrapper::RegisterDrawable(std::function<void(CanvasWrapper)> drawable) {
    overlay_->add(owner_, std::move(drawable));
}

void GameWrapper::UnregisterDrawables() {
    overlay_->removeAll(owner_);
}
