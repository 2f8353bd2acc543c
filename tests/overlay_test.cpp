#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "call_recorder.h"
#include "simhost/host_error.h"
#include "simhost/services/canvas.h"
#include "simhost/services/canvas_loan.h"
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

// A handle is lent for one draw: kept and used later, it is refused and draws nothing, in the
// next draw and outside any draw; copying and dropping it stay harmless.
TEST_F(OverlayTest, AHandleKeptPastItsDrawIsDead) {
    std::optional<CanvasWrapper> kept;
    overlay.add(1, [&kept](CanvasWrapper lent) {
        if (!kept) {
            kept = lent;
            return;
        }
        kept->SetColor(0, 0, 0, '\xFF');
    });
    drawOnce();
    canvas.fill({9, 9, 9, 255});
    try {
        drawOnce();
        ADD_FAILURE() << "the kept handle drew";
    } catch (const simhost::DrawableFailure& failure) {
        EXPECT_EQ(failure.owner(), 1u);
        EXPECT_EQ(failure.cause(), simhost::kDeadCanvasHandle);
    }
    for (int call = 0; call < 3; ++call) {
        try {
            if (call == 0) {
                kept->GetSize();
            } else if (call == 1) {
                kept->DrawRect({0, 0}, {4, 4});
            } else {
                kept->SetColor(0, 0, 0, 0);
            }
            ADD_FAILURE() << "call " << call << " on a dead handle went through";
        } catch (const simhost::HostError& error) {
            EXPECT_STREQ(error.what(), simhost::kDeadCanvasHandle);
        }
    }
    EXPECT_EQ(canvas.pixel(0, 0), (simhost::Rgba{9, 9, 9, 255}));
    const CanvasWrapper copy = *kept;
    kept.reset();
    // The handle of the draw in progress still works, and a handle made on the canvas itself.
    overlay.removeAll(1);
    overlay.add(2, [](CanvasWrapper lent) { lent.DrawRect({0, 0}, {1, 1}); });
    drawOnce();
    EXPECT_EQ(canvas.pixel(0, 0), (simhost::Rgba{255, 255, 255, 255}));
    CanvasWrapper direct(canvas);
    EXPECT_EQ(direct.GetSize().X, 4);
}

// Loans are held in a fixed table, so a draw allocates nothing; one past it is refused.
TEST(CanvasLoan, AtMostTwoHundredFiftySixAtOnce) {
    simhost::Canvas canvas(1, 1);
    std::vector<std::unique_ptr<simhost::CanvasLoan>> loans;
    loans.reserve(256);
    for (int loan = 0; loan < 256; ++loan) {
        loans.push_back(std::make_unique<simhost::CanvasLoan>(canvas));
    }
    try {
        simhost::CanvasLoan oneMore(canvas);
        ADD_FAILURE() << "a loan past the table was made";
    } catch (const simhost::HostError& error) {
        EXPECT_STREQ(error.what(), "more than 256 draws at once");
    }
    loans.pop_back();
    const simhost::CanvasLoan again(canvas);
    EXPECT_EQ(CanvasWrapper(again.handle()).GetSize().X, 1);
}

}  // namespace
