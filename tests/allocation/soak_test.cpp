#include <gtest/gtest.h>

#include <memory>

#include "bakkesmod/canvas.h"
#include "bakkesmod/console_log.h"
#include "bakkesmod/console_variables.h"
#include "bakkesmod/overlay.h"
#include "bakkesmod/plugin_module.h"
#include "counting_new.h"
#include "test_modules.h"

namespace {

constexpr simhost::ModuleId kOwner = 1;

// One life of the module in a host of its own: open, create, load, draw with the switch
// flipped, unload, release (with or without the host's copy still held) and close.
void cycle(simhost::Canvas& canvas, bool hostHoldsCopy) {
    simhost::ConsoleLog log;
    simhost::ConsoleVariables variables;
    simhost::Overlay overlay;
    simhost::PluginModule module(tavorindenModule());
    auto plugin = module.create();
    plugin->cvarManagerPtr = std::make_shared<CVarManagerWrapper>(log, variables, kOwner);
    plugin->gameWrapperPtr = std::make_shared<GameWrapper>(overlay, kOwner);
    plugin->onLoad();
    overlay.draw(canvas);
    variables.find("cl_tavorinden")->set("0");
    overlay.draw(canvas);
    variables.find("cl_tavorinden")->set("1");
    overlay.draw(canvas);
    plugin->onUnload();
    variables.unbindAll(kOwner);
    if (hostHoldsCopy) {
        module.release();
        plugin.reset();
    } else {
        plugin.reset();
        module.release();
    }
    module.close();
}

TEST(Soak, TenThousandCyclesLeaveNothingBehind) {
    simhost::Canvas canvas(320, 180);
    long long liveAfterFirstThousand = 0;
    long long highestInLastThousand = 0;
    for (int i = 0; i < 10'000; ++i) {
        cycle(canvas, i % 2 == 0);
        if (i == 999) {
            liveAfterFirstThousand = allocation::live();
        }
        if (i >= 9'000) {
            highestInLastThousand = std::max(highestInLastThousand, allocation::live());
        }
    }
    EXPECT_EQ(highestInLastThousand, liveAfterFirstThousand);
    EXPECT_EQ(allocation::live(), liveAfterFirstThousand);
}

}  // namespace
