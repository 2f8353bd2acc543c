#include "bakkesmod/canvas_wrapper.h"

#include "simhost/host_error.h"
#include "simhost/services/canvas.h"
#include "simhost/services/canvas_loan.h"

using simhost::Canvas;
using simhost::canvasBehind;
using simhost::CanvasCall;

namespace {

// The canvas a drawing operation works on; a handle whose draw has returned is refused.
Canvas& drawnOn(HostCanvas* surface) {
    if (Canvas* canvas = canvasBehind(surface)) {
        return *canvas;
    }
    throw simhost::HostError(simhost::kDeadCanvasHandle);
}

// Who watches the canvas, if anyone. Copying and dropping a dead handle is harmless: a plug-in
// that kept one still destroys it.
simhost::CanvasObserver* observerOf(HostCanvas* surface) {
    Canvas* canvas = canvasBehind(surface);
    return canvas != nullptr ? canvas->observer() : nullptr;
}

void tell(Canvas& canvas, const CanvasCall& call) {
    if (auto* observer = canvas.observer()) {
        observer->called(call);
    }
}

void acquired(HostCanvas* surface) {
    if (auto* observer = observerOf(surface)) {
        observer->handleAcquired();
    }
}

void released(HostCanvas* surface) {
    if (auto* observer = observerOf(surface)) {
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
    Canvas& canvas = drawnOn(surface_);
    const simhost::Rgba color{static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
                              static_cast<std::uint8_t>(blue), static_cast<std::uint8_t>(alpha)};
    tell(canvas, CanvasCall::setColor(color));
    canvas.setColor(color);
}

Vector2 CanvasWrapper::GetSize() {
    Canvas& canvas = drawnOn(surface_);
    const Vector2 size = canvas.size();
    tell(canvas, CanvasCall::getSize(size));
    return size;
}

void CanvasWrapper::DrawRect(Vector2 start, Vector2 end) {
    Canvas& canvas = drawnOn(surface_);
    tell(canvas, CanvasCall::drawRect(start, end));
    canvas.drawRect(start, end);
}
