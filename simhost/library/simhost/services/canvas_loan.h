#pragma once

#include "simhost/export.h"
#include "simhost/services/handle_bases.h"

namespace simhost {

class Canvas;

// A canvas lent to the drawables of one draw. Their handles name the loan, not the canvas, and
// the loan ends with the draw: a handle a plug-in kept and uses later is refused, never drawn
// through onto a later frame, where the mistake would stay hidden.
class SIMHOST_API CanvasLoan {
public:
    explicit CanvasLoan(Canvas& canvas);
    ~CanvasLoan();
    CanvasLoan(const CanvasLoan&) = delete;
    CanvasLoan& operator=(const CanvasLoan&) = delete;

    HostCanvas& handle() const { return *handle_; }

private:
    HostCanvas* handle_;
};

// The canvas behind a handle: a live loan's canvas, or the canvas itself for a handle made on it
// directly; none for the handle of a loan that has ended.
Canvas* canvasBehind(HostCanvas* handle) noexcept;

// Why a door operation refuses the handle of an ended loan.
inline constexpr const char* kDeadCanvasHandle =
    "a drawable used a canvas handle kept from an earlier draw; a handle is dead once its draw "
    "returns";

}  // namespace simhost
