#include "bakkesmod/canvas_wrapper.h"

#include "bakkesmod/canvas.h"

using simhost::CanvasCall;

CanvasWrapper::CanvasWrapper(simhost::Canvas& surface) : surface_(&surface) {
    surface_->handleAcquired();
}

CanvasWrapper::CanvasWrapper(const CanvasWrapper& other) : surface_(other.surface_) {
    surface_->handleAcquired();
}

CanvasWrapper& CanvasWrapper::operator=(const CanvasWrapper& other) {
    other.surface_->handleAcquired();
    surface_->handleReleased();
    surface_ = other.surface_;
    return *this;
}

CanvasWrapper::~CanvasWrapper() {
    surface_->handleReleased();
}

void CanvasWrapper::SetColor(char red, char green, char blue, char alpha) {
    const simhost::Rgba color{static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
                              static_cast<std::uint8_t>(blue), static_cast<std::uint8_t>(alpha)};
    surface_->record(CanvasCall::setColor(color));
    surface_->setColor(color);
}

Vector2 CanvasWrapper::GetSize() {
    const Vector2 size = surface_->size();
    surface_->record(CanvasCall::getSize(size));
    return size;
}

void CanvasWrapper::DrawRect(Vector2 start, Vector2 end) {
    surface_->record(CanvasCall::drawRect(start, end));
    surface_->drawRect(start, end);
}
