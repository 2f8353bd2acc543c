#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "bakkesmod/bakkesmod_plugin.h"
#include "service_watch.h"
#include "simhost/host.h"

namespace {

using BakkesMod::Plugin::BakkesModPlugin;
using Strings = std::vector<std::string>;

class PluginBase : public ::testing::Test {
protected:
    BakkesModPlugin withServices() {
        auto handles = services.maker()(std::make_shared<simhost::ModuleServices>(
            host.log(), host.variables(), host.overlay(), 1));
        BakkesModPlugin plugin;
        plugin.cvarManagerPtr = std::move(handles.cvarManager);
        plugin.gameWrapperPtr = std::move(handles.game);
        return plugin;
    }

    ServiceWatch services;
    simhost::Host host;
};

TEST_F(PluginBase, StartsEmptyAndItsOwnLoadAndUnloadDoNothing) {
    BakkesModPlugin empty;
    EXPECT_EQ(empty.cvarManagerPtr, nullptr);
    EXPECT_EQ(empty.gameWrapperPtr, nullptr);
    empty.onLoad();
    empty.onUnload();

    BakkesModPlugin plugin = withServices();
    plugin.onLoad();
    plugin.onUnload();
    EXPECT_TRUE(host.log().lines().empty());
    EXPECT_EQ(host.variables().size(), 0u);
    EXPECT_EQ(host.overlay().count(), 0u);
    EXPECT_EQ(plugin.cvarManagerPtr.use_count(), 1);
}

TEST_F(PluginBase, CopiesShareTheServices) {
    BakkesModPlugin original = withServices();
    BakkesModPlugin copy(original);
    EXPECT_EQ(copy.cvarManagerPtr, original.cvarManagerPtr);
    EXPECT_EQ(copy.gameWrapperPtr, original.gameWrapperPtr);
    EXPECT_EQ(original.cvarManagerPtr.use_count(), 2);

    BakkesModPlugin assigned = withServices();
    assigned = original;
    // The target's own services went with the assignment.
    std::sort(services.released.begin(), services.released.end());
    EXPECT_EQ(services.released, (Strings{"cvarManager", "game"}));
    EXPECT_EQ(assigned.gameWrapperPtr, original.gameWrapperPtr);
    EXPECT_EQ(original.gameWrapperPtr.use_count(), 3);
}

TEST_F(PluginBase, MovesLeaveTheSourceEmpty) {
    BakkesModPlugin source = withServices();
    const auto* cvarManager = source.cvarManagerPtr.get();
    BakkesModPlugin moved(std::move(source));
    EXPECT_EQ(source.cvarManagerPtr, nullptr);  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(source.gameWrapperPtr, nullptr);
    EXPECT_EQ(moved.cvarManagerPtr.get(), cvarManager);

    BakkesModPlugin assigned = withServices();
    assigned = std::move(moved);
    EXPECT_EQ(moved.cvarManagerPtr, nullptr);  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(assigned.cvarManagerPtr.get(), cvarManager);
    EXPECT_EQ(services.released.size(), 2u);
}

TEST_F(PluginBase, DestructionReleasesTheGameBeforeTheConsole) {
    { BakkesModPlugin plugin = withServices(); }
    EXPECT_EQ(services.released, (Strings{"game", "cvarManager"}));
}

}  // namespace
