#pragma once

#include <vector>

#include "simhost/services/canvas.h"

// What drawables did with a canvas: every call, and how many handles to it are alive. Attached
// to the canvas for as long as it exists.
class CallRecorder : public simhost::CanvasObserver {
public:
    explicit CallRecorder(simhost::Canvas& canvas) : canvas_(canvas) { canvas_.setObserver(this); }
    CallRecorder(const CallRecorder&) = delete;
    CallRecorder& operator=(const CallRecorder&) = delete;
    ~CallRecorder() { canvas_.setObserver(nullptr); }

    void called(const simhost::CanvasCall& call) override { calls.push_back(call); }
    void handleAcquired() override { ++liveHandles; }
    void handleReleased() override { --liveHandles; }

    std::vector<simhost::CanvasCall> calls;
    int liveHandles = 0;

private:
    simhost::Canvas& canvas_;
};
