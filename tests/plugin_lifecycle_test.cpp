#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bakkesmod/bakkesmod_plugin.h"
#include "bakkesmod/plugin_module.h"
#include "service_watch.h"
#include "test_modules.h"

namespace {

using BakkesMod::Plugin::BakkesModPlugin;
using Strings = std::vector<std::string>;

// The handle the module owns, seen the way the host sees it.
const std::shared_ptr<BakkesModPlugin>& handleAt(std::uintptr_t address) {
    return *reinterpret_cast<const std::shared_ptr<BakkesModPlugin>*>(address);
}

TEST(PluginLifecycle, CreationGivesOneObjectAtOneAddress) {
    simhost::PluginModule module(tavorindenModule());
    const std::uintptr_t first = module.record().createEntry();
    const std::uintptr_t second = module.record().createEntry();
    EXPECT_EQ(first, second);
    ASSERT_TRUE(handleAt(first));
    EXPECT_EQ(handleAt(first).use_count(), 1);
    EXPECT_EQ(handleAt(first)->cvarManagerPtr, nullptr);
    EXPECT_EQ(handleAt(first)->gameWrapperPtr, nullptr);
}

TEST(PluginLifecycle, ReleaseWithNothingHeldDoesNothing) {
    simhost::PluginModule module(tavorindenModule());
    module.release();
    const std::uintptr_t address = module.record().createEntry();
    ASSERT_TRUE(handleAt(address));
    EXPECT_EQ(handleAt(address).use_count(), 1);

    module.release();
    EXPECT_FALSE(handleAt(address));
    module.release();
    EXPECT_FALSE(handleAt(address));

    // A later creation starts over with a fresh object.
    EXPECT_EQ(module.record().createEntry(), address);
    EXPECT_TRUE(handleAt(address));
}

class PluginWithServices : public ::testing::Test {
protected:
    // Loads the plug-in into watched services and keeps only the host's copy of it; the switch
    // is watched once the host has dropped its own share of it.
    void SetUp() override {
        copy = module.create();
        copy->cvarManagerPtr = services.cvarManager();
        copy->gameWrapperPtr = services.game();
        copy->onLoad();
        auto* variable = services.variables.find("cl_tavorinden");
        ASSERT_NE(variable, nullptr);
        ASSERT_EQ(variable->bindings().size(), 1u);
        services.watch(variable->bindings().front().second);
        services.variables.unbindAll(ServiceWatch::kOwner);
        copy->onUnload();
    }
    void TearDown() override { services.stopWatching(); }

    ServiceWatch services;
    simhost::PluginModule module{tavorindenModule()};
    std::shared_ptr<BakkesModPlugin> copy;
};

TEST_F(PluginWithServices, ReleaseKeepsTheObjectWhileTheHostHoldsACopy) {
    module.release();
    EXPECT_TRUE(services.released.empty());
    EXPECT_FALSE(services.watchedSwitch.expired());

    copy.reset();
    EXPECT_EQ(services.released, (Strings{"game (switch gone)", "cvarManager (switch gone)"}));
}

TEST_F(PluginWithServices, ClosingTheModuleDestroysAnObjectOnlyItHolds) {
    copy.reset();
    EXPECT_TRUE(services.released.empty());

    services.stopWatching();
    module.close();
    EXPECT_EQ(services.released, (Strings{"game", "cvarManager"}));
}

TEST_F(PluginWithServices, AReopenedModuleStartsWithoutAnObject) {
    copy.reset();
    services.stopWatching();
    module.close();

    simhost::PluginModule reopened(tavorindenModule());
    const std::uintptr_t address = reopened.record().createEntry();
    ASSERT_TRUE(handleAt(address));
    EXPECT_EQ(handleAt(address)->cvarManagerPtr, nullptr);
    EXPECT_EQ(reopened.record().versionText, std::string("1.02"));
}

}  // namespace
