#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "call_recorder.h"
#include "simhost/host.h"
#include "simhost/services/canvas.h"
#include "test_modules.h"

namespace {

using simhost::CanvasCall;
using simhost::Rgba;
using Calls = std::vector<CanvasCall>;

constexpr Rgba kOpaqueBlack{0, 0, 0, 255};
constexpr Rgba kScene{200, 220, 240, 255};

class CoverDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        host.setScene([](simhost::Canvas& canvas) { canvas.fill(kScene); });
        id = host.modules().load(tavorindenModule());
    }

    const Calls& drawAt(int width, int height) {
        host.canvas().resize(width, height);
        return draw();
    }
    const Calls& draw() {
        recorder.calls.clear();
        host.draw();
        return recorder.calls;
    }
    void setSwitch(const char* value) {
        ASSERT_TRUE(simhost::accepted(host.variables().find("cl_tavorinden")->set(value)));
    }

    simhost::Host host{{1920, 1080}};
    CallRecorder recorder{host.canvas()};
    simhost::ModuleId id = 0;
};

Calls coverCalls(Vector2 size, Vector2 first, Vector2 second) {
    return {CanvasCall::setColor(kOpaqueBlack), CanvasCall::getSize(size),
            CanvasCall::drawRect(first, second)};
}

TEST_F(CoverDrawing, SwitchedOnItMakesExactlyThreeCallsInOrder) {
    EXPECT_EQ(draw(), coverCalls({1920, 1080}, {768, 0}, {1152, 91}));
    EXPECT_EQ(draw(), coverCalls({1920, 1080}, {768, 0}, {1152, 91}));
}

TEST_F(CoverDrawing, SwitchedOffItMakesNoCanvasCall) {
    setSwitch("0");
    EXPECT_TRUE(draw().empty());
}

TEST_F(CoverDrawing, CommonResolutionsAndDegenerateCanvases) {
    const struct {
        Vector2 size, first, second;
    } cases[] = {
        {{1920, 1080}, {768, 0}, {1152, 91}},
        {{1280, 720}, {512, 0}, {768, 61}},
        {{2560, 1440}, {1024, 0}, {1536, 122}},
        {{3840, 2160}, {1536, 0}, {2304, 183}},
        {{1366, 768}, {546, 0}, {819, 65}},
        {{1024, 768}, {409, 0}, {614, 65}},
        {{0, 0}, {0, 0}, {0, 0}},
        {{1, 1080}, {0, 0}, {0, 91}},
        {{5, 5}, {2, 0}, {3, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.size.X) + "x" + std::to_string(c.size.Y));
        EXPECT_EQ(drawAt(c.size.X, c.size.Y), coverCalls(c.size, c.first, c.second));
    }
}

TEST_F(CoverDrawing, EverySideUpTo19999GivesTheExactFractions) {
    // Widths and heights are swept separately (the other side kept small) so the canvas stays
    // small; every draw is checked on all three corners.
    int mismatches = 0;
    std::string first;
    for (int side = 0; side < 20000; ++side) {
        for (const Vector2 size : {Vector2{side, 1 + side % 2}, Vector2{1 + side % 2, side}}) {
            const std::int64_t w = size.X;
            const std::int64_t h = size.Y;
            const Calls expected =
                coverCalls(size, {static_cast<int>(2 * w / 5), 0},
                           {static_cast<int>(3 * w / 5), static_cast<int>(17 * h / 200)});
            if (drawAt(size.X, size.Y) != expected && mismatches++ == 0) {
                first = std::to_string(size.X) + "x" + std::to_string(size.Y);
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << "first mismatch at " << first;
}

TEST_F(CoverDrawing, PaintsExactlyTheBandOpaqueBlack) {
    draw();
    const auto& canvas = host.canvas();
    int black = 0;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const bool inBand = x >= 768 && x < 1152 && y < 91;
            const Rgba pixel = canvas.pixel(x, y);
            ASSERT_EQ(pixel, inBand ? kOpaqueBlack : kScene) << "at (" << x << ", " << y << ")";
            black += inBand ? 1 : 0;
        }
    }
    EXPECT_EQ(black, 384 * 91);
}

TEST_F(CoverDrawing, TheSwitchTakesEffectFromTheNextDraw) {
    draw();
    EXPECT_EQ(host.canvas().pixel(960, 10), kOpaqueBlack);
    setSwitch("0");
    draw();
    EXPECT_EQ(host.canvas().pixel(960, 10), kScene);
    setSwitch("1");
    draw();
    EXPECT_EQ(host.canvas().pixel(960, 10), kOpaqueBlack);
}

TEST_F(CoverDrawing, TheBandFollowsAResize) {
    draw();
    host.canvas().resize(1280, 720);
    EXPECT_EQ(draw(), coverCalls({1280, 720}, {512, 0}, {768, 61}));
    EXPECT_EQ(host.canvas().pixel(767, 60), kOpaqueBlack);
    EXPECT_EQ(host.canvas().pixel(768, 60), kScene);
}

TEST_F(CoverDrawing, EachDrawReleasesItsCanvasHandle) {
    draw();
    EXPECT_EQ(recorder.liveHandles, 0);
}

TEST_F(CoverDrawing, OnUnloadStopsTheDrawingButKeepsSwitchAndVariable) {
    host.modules().find(id)->plugin->onUnload();
    EXPECT_TRUE(draw().empty());
    EXPECT_EQ(host.overlay().count(), 0u);
    const auto* variable = host.variables().find("cl_tavorinden");
    ASSERT_NE(variable, nullptr);
    ASSERT_EQ(variable->bindings().size(), 1u);
    EXPECT_TRUE(*variable->bindings().front().second);
}

TEST_F(CoverDrawing, AfterUnloadTheDrawableIsNeverCalled) {
    host.modules().unload(id);
    EXPECT_TRUE(draw().empty());
    EXPECT_TRUE(draw().empty());
    EXPECT_EQ(host.canvas().pixel(960, 10), kScene);
    EXPECT_NE(host.variables().find("cl_tavorinden"), nullptr);
}

// The scene is painted once per canvas size; each later draw puts back only where the band was
// drawn, and tells where it changed the canvas: all of it after a resize, the band's area while
// the band is drawn or just gone, nothing once the switch has stayed off.
TEST(HostScene, PaintedOncePerSizeAndPutBackWhereTheBandWas) {
    using Areas = std::vector<simhost::CanvasArea>;
    simhost::Host host({40, 20});
    int painted = 0;
    host.setScene([&painted](simhost::Canvas& canvas) {
        ++painted;
        for (int y = 0; y < canvas.height(); ++y) {
            canvas.setColor({static_cast<std::uint8_t>(y), 100, 50, 255});
            canvas.drawRect({0, y}, {canvas.width(), y + 1});
        }
    });
    host.modules().load(tavorindenModule());
    const auto changed = [&host] {
        host.draw();
        return Areas(host.changedByLastDraw().areas().begin(),
                     host.changedByLastDraw().areas().end());
    };
    const Areas band{{16, 0, 24, 1}};  // 40 % to 60 % of 40, 8.5 % of 20
    EXPECT_EQ(changed(), (Areas{{0, 0, 40, 20}}));
    EXPECT_EQ(changed(), band);
    EXPECT_EQ(painted, 1);

    ASSERT_TRUE(simhost::accepted(host.variables().find("cl_tavorinden")->set("0")));
    EXPECT_EQ(changed(), band);
    EXPECT_EQ(host.canvas().pixel(16, 0), (Rgba{0, 100, 50, 255}));
    EXPECT_EQ(host.canvas().pixel(23, 0), (Rgba{0, 100, 50, 255}));
    EXPECT_EQ(changed(), Areas{});

    host.canvas().resize(60, 30);
    EXPECT_EQ(changed(), (Areas{{0, 0, 60, 30}}));
    EXPECT_EQ(painted, 2);
    EXPECT_EQ(host.canvas().pixel(59, 29), (Rgba{29, 100, 50, 255}));
}

}  // namespace
