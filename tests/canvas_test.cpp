#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>
#include <vector>

#include "bakkesmod/canvas_wrapper.h"
#include "call_recorder.h"
#include "simhost/host_error.h"
#include "simhost/services/canvas.h"

namespace {

using simhost::Canvas;
using simhost::CanvasCall;
using simhost::Rgba;

constexpr Rgba kWhite{255, 255, 255, 255};
constexpr Rgba kRed{255, 0, 0, 255};

int countOf(const Canvas& canvas, Rgba color) {
    int count = 0;
    for (const Rgba pixel : canvas.pixels()) {
        count += pixel == color ? 1 : 0;
    }
    return count;
}

TEST(Canvas, FillsHalfOpenRectangles) {
    Canvas canvas(10, 8);
    canvas.fill(kWhite);
    canvas.setColor(kRed);
    canvas.drawRect({2, 1}, {5, 3});
    EXPECT_EQ(countOf(canvas, kRed), 3 * 2);
    EXPECT_EQ(canvas.pixel(2, 1), kRed);
    EXPECT_EQ(canvas.pixel(4, 2), kRed);
    EXPECT_EQ(canvas.pixel(5, 2), kWhite);
    EXPECT_EQ(canvas.pixel(4, 3), kWhite);
}

TEST(Canvas, ClipsAnyCornersToItsBuffer) {
    Canvas canvas(6, 4);
    canvas.setColor(kRed);
    const struct {
        Vector2 first, second;
        int painted;
    } cases[] = {
        {{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, 24},
        {{-3, -3}, {2, 1}, 2},
        {{5, 3}, {100, 100}, 1},
        {{4, 0}, {2, 4}, 0},  // reversed
        {{0, 3}, {6, 1}, 0},
        {{6, 4}, {INT_MAX, INT_MAX}, 0},
        {{INT_MIN, 0}, {0, 4}, 0},
        {{3, 3}, {3, 3}, 0},
    };
    for (const auto& c : cases) {
        canvas.fill(kWhite);
        canvas.drawRect(c.first, c.second);
        EXPECT_EQ(countOf(canvas, kRed), c.painted)
            << "(" << c.first.X << ", " << c.first.Y << ") to (" << c.second.X << ", " << c.second.Y
            << ")";
    }

    Canvas empty(0, 0);
    empty.setColor(kRed);
    empty.drawRect({INT_MIN, INT_MIN}, {INT_MAX, INT_MAX});
    EXPECT_TRUE(empty.pixels().empty());
}

TEST(Canvas, BlendsByAlpha) {
    Canvas canvas(2, 1);
    canvas.fill(kWhite);
    canvas.setColor({0, 0, 0, 128});
    canvas.drawRect({0, 0}, {1, 1});
    EXPECT_EQ(canvas.pixel(0, 0), (Rgba{127, 127, 127, 255}));
    canvas.setColor({0, 0, 0, 0});
    canvas.drawRect({0, 0}, {2, 1});
    EXPECT_EQ(canvas.pixel(1, 0), kWhite);
}

TEST(Canvas, RefusesNegativeSizesAndPixelsOutside) {
    const auto refusal = [](auto&& request) -> std::string {
        try {
            request();
        } catch (const simhost::HostError& error) {
            return error.what();
        }
        return "accepted";
    };
    EXPECT_EQ(refusal([] { Canvas(-1, 5); }), "canvas size -1x5 is negative");
    Canvas canvas(3, 3);
    EXPECT_EQ(refusal([&] { canvas.resize(3, -1); }), "canvas size 3x-1 is negative");
    EXPECT_EQ(canvas.width(), 3);
    EXPECT_EQ(refusal([&] { (void)canvas.pixel(3, 0); }), "pixel (3, 0) is outside the canvas");
    EXPECT_EQ(refusal([&] { (void)canvas.pixel(0, -1); }), "pixel (0, -1) is outside the canvas");
}

// Pixels are kept as a window keeps them: bytes blue, green, red, alpha.
TEST(Canvas, KeepsPixelsAsWindowsDo) {
    Canvas canvas(2, 1);
    canvas.setColor({0x11, 0x22, 0x33, 0xFF});
    canvas.drawRect({1, 0}, {2, 1});
    const auto* bytes = reinterpret_cast<const unsigned char*>(canvas.pixels().data());
    EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + 8),
              (std::vector<unsigned char>{0, 0, 0, 0, 0x33, 0x22, 0x11, 0xFF}));
    EXPECT_EQ(canvas.pixel(1, 0).r, 0x11);
}

// Where a canvas was written: each drawn rectangle as clipped, nothing for a draw that fills
// nothing, an area held once, and everything for a resize or a fill.
TEST(Canvas, KnowsWhereItWasWritten) {
    using Areas = std::vector<simhost::CanvasArea>;
    const auto touched = [](const Canvas& canvas) {
        return Areas(canvas.touched().areas().begin(), canvas.touched().areas().end());
    };
    Canvas canvas(10, 8);
    EXPECT_EQ(touched(canvas), (Areas{{0, 0, 10, 8}}));
    canvas.forgetTouched();
    EXPECT_EQ(touched(canvas), Areas{});

    canvas.drawRect({-5, 2}, {3, 100});
    canvas.drawRect({6, 6}, {4, 7});  // reversed corners
    canvas.setColor({1, 2, 3, 0});
    canvas.drawRect({0, 0}, {10, 8});  // transparent
    canvas.setColor(kRed);
    canvas.drawRect({1, 3}, {2, 4});  // inside the first
    EXPECT_EQ(touched(canvas), (Areas{{0, 2, 3, 8}}));
    canvas.drawRect({5, 0}, {6, 1});
    canvas.drawRect({0, 1}, {4, 8});  // holds the first: takes its place
    EXPECT_EQ(touched(canvas), (Areas{{5, 0, 6, 1}, {0, 1, 4, 8}}));
    canvas.fill(kWhite);
    EXPECT_EQ(touched(canvas), (Areas{{0, 0, 10, 8}}));
    canvas.forgetTouched();
    canvas.resize(3, 2);
    EXPECT_EQ(touched(canvas), (Areas{{0, 0, 3, 2}}));

    // Past the most it holds, one area holding them all.
    simhost::CanvasAreas areas;
    for (int i = 0; i < static_cast<int>(simhost::CanvasAreas::kMost) + 1; ++i) {
        areas.add({10 * i, i, 10 * i + 1, i + 2});
    }
    EXPECT_EQ(Areas(areas.areas().begin(), areas.areas().end()), (Areas{{0, 0, 81, 10}}));
}

TEST(Canvas, CopiesAnAreaFromACanvasOfItsSize) {
    Canvas scene(6, 4);
    scene.fill(kRed);
    Canvas canvas(6, 4);
    canvas.fill(kWhite);
    canvas.forgetTouched();
    canvas.copyArea(scene, {4, -3, 99, 2});
    EXPECT_EQ(countOf(canvas, kRed), 4);
    EXPECT_EQ(canvas.pixel(4, 1), kRed);
    EXPECT_EQ(canvas.pixel(3, 1), kWhite);
    EXPECT_EQ(canvas.pixel(4, 2), kWhite);
    EXPECT_EQ(std::vector<simhost::CanvasArea>(canvas.touched().areas().begin(),
                                               canvas.touched().areas().end()),
              (std::vector<simhost::CanvasArea>{{4, 0, 6, 2}}));
    Canvas other(6, 5);
    try {
        canvas.copyArea(other, {0, 0, 1, 1});
        ADD_FAILURE() << "copied from a canvas of another size";
    } catch (const simhost::HostError& error) {
        EXPECT_STREQ(error.what(), "cannot copy from a 6x5 canvas to a 6x4 one");
    }
}

TEST(CanvasHandle, TellsAnObserverEveryCall) {
    Canvas canvas(4, 2);
    CanvasWrapper handle(canvas);
    handle.SetColor(1, 2, 3, '\xFF');

    CallRecorder recorder(canvas);
    // Every channel its own value, so that no two can trade places unseen.
    handle.SetColor(10, 20, 30, '\xFF');
    const Vector2 size = handle.GetSize();
    handle.DrawRect({1, 0}, {3, 1});
    EXPECT_EQ(size.X, 4);
    EXPECT_EQ(size.Y, 2);
    EXPECT_EQ(recorder.calls, (std::vector<CanvasCall>{CanvasCall::setColor({10, 20, 30, 255}),
                                                       CanvasCall::getSize({4, 2}),
                                                       CanvasCall::drawRect({1, 0}, {3, 1})}));
    EXPECT_EQ(canvas.pixel(1, 0), (Rgba{10, 20, 30, 255}));
    EXPECT_EQ(countOf(canvas, Rgba{10, 20, 30, 255}), 2);
}

TEST(CanvasHandle, CopiesAreCountedUntilReleased) {
    Canvas canvas(1, 1);
    CallRecorder recorder(canvas);
    {
        CanvasWrapper handle(canvas);
        CanvasWrapper copy(handle);
        EXPECT_EQ(recorder.liveHandles, 2);
        copy = handle;
        EXPECT_EQ(recorder.liveHandles, 2);
    }
    EXPECT_EQ(recorder.liveHandles, 0);
}

}  // namespace
