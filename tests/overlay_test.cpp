#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "call_recorder.h"
#include "simhost/services/canvas.h"
#include "simhost/services/overlay.h"

namespace {

using simhost::Overlay;

class OverlayTest : public ::testing::Test {
protected:
    Overlay::Drawable tracer(const std::string& name) {
        return [this, name](CanvasWrapper) { called.push_back(name); };
    }
    std::vector<std::string> drawOnce() {
        called.clear();
        overlay.draw(canvas);
        return called;
    }

    simhost::Canvas canvas{4, 4};
    CallRecorder recorder{canvas};
    Overlay overlay;
    std::vector<std::string> called;
};

using Names = std::vector<std::string>;

TEST_F(OverlayTest, CallsEveryDrawableInOrderAndRemovesOnlyTheOwners) {
    overlay.add(1, tracer("a1"));
    overlay.add(2, tracer("b1"));
    overlay.add(1, tracer("a2"));
    EXPECT_EQ(drawOnce(), (Names{"a1", "b1", "a2"}));
    overlay.removeAll(1);
    EXPECT_EQ(overlay.count(1), 0u);
    EXPECT_EQ(drawOnce(), (Names{"b1"}));
    EXPECT_EQ(recorder.liveHandles, 0);
}

TEST_F(OverlayTest, RemovalDuringADrawTakesEffectAtOnce) {
    overlay.add(1, [this](CanvasWrapper) {
        called.emplace_back("remover");
        overlay.removeAll(2);
        overlay.removeAll(1);
    });
    overlay.add(2, tracer("removed"));
    EXPECT_EQ(drawOnce(), (Names{"remover"}));
    EXPECT_EQ(overlay.count(), 0u);
    EXPECT_TRUE(drawOnce().empty());
}

TEST_F(OverlayTest, RegistrationDuringADrawJoinsTheNextDraw) {
    overlay.add(1, [this](CanvasWrapper) {
        if (overlay.count() < 3) {
            overlay.add(2, tracer("late"));
        }
        called.emplace_back("early");
    });
    EXPECT_EQ(drawOnce(), (Names{"early"}));
    EXPECT_EQ(overlay.count(2), 1u);
    EXPECT_EQ(drawOnce(), (Names{"early", "late"}));
}

TEST_F(OverlayTest, AnArrivalRemovedWithinTheSameDrawNeverRuns) {
    overlay.add(1, [this](CanvasWrapper) {
        overlay.add(2, tracer("arrival"));
        overlay.removeAll(2);
        called.emplace_back("host");
    });
    EXPECT_EQ(drawOnce(), (Names{"host"}));
    EXPECT_EQ(overlay.count(2), 0u);
    overlay.removeAll(1);
    EXPECT_TRUE(drawOnce().empty());
}

TEST_F(OverlayTest, AFailingDrawableLeavesTheOverlayUsable) {
    overlay.add(1, [](CanvasWrapper) { throw std::runtime_error("drawable failed"); });
    overlay.add(2, tracer("after"));
    try {
        drawOnce();
        ADD_FAILURE() << "the failure did not reach the caller";
    } catch (const simhost::DrawableFailure& failure) {
        // Told in its own words and with its owner, the exception itself left behind.
        EXPECT_EQ(failure.owner(), 1u);
        EXPECT_EQ(failure.cause(), "drawable failed");
    }
    EXPECT_EQ(recorder.liveHandles, 0);
    overlay.removeAll(1);
    EXPECT_EQ(drawOnce(), (Names{"after"}));
}

}  // namespace
