#include "bakkesmod/canvas_wrapper.h"

#include "simhost/door/handle_casts.h"

using simhost::CanvasCall;
using simhost::canvasOf;

namespace {

void tell(HostCanvas* surface, const CanvasCall& call) {
    if (auto* observer = canvasOf(surface).observer()) {
        observer->called(call);
    }
}

void acquired(HostCanvas* surface) {
    if (auto* observer = canvasOf(surface).observer()) {
        observer->handleAcquired();
    }
}

void released(HostCanvas* surface) {
    if (auto* observer = canvasOf(surface).observer()) {
        observer->handleReleased();
    }
}

}  // namespace

CanvasWrapper::CanvasWrapper(HostCanvas& surface) : surface_(&surface) {
    acquired(surface_);
}

CanvasWrapper::CanvasWrapper(const CanvasWrapper& other) : surface_(other.surface_) {
    acquired(surface_);
}

CanvasWrapper& CanvasWrapper::operator=(const CanvasWrapper& other) {
    if (this != &other) {
        acquired(other.surface_);
        released(surface_);
        surface_ = other.surface_;
    }
    return *this;
}

CanvasWrapper::~CanvasWrapper() {
    released(surface_);
}

void CanvasWrapper::SetColor(char red, char green, char blue, char alpha) {
    const simhost::Rgba color{static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
                              static_cast<std::uint8_t>(blue), static_cast<std::uint8_t>(alpha)};
    tell(surface_, CanvasCall::setColor(color));
    canvasOf(surface_).setColor(color);
}

Vector2 CanvasWrapper::GetSize() {
    const Vector2 size = canvasOf(surface_).size();
    tell(surface_, CanvasCall::getSize(size));
    return size;
}

void CanvasWrapper::DrawRect(Vector2 start, Vector2 end) {
    tell(surface_, CanvasCall::drawRect(start, end));
    canvasOf(surface_).drawRect(start, end);
}
