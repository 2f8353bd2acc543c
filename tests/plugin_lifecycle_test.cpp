#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bakkesmod/bakkesmod_plugin.h"
#include "service_watch.h"
#include "simhost/host.h"
#include "simhost/loading/plugin_module.h"
#include "test_modules.h"

namespace {

using BakkesMod::Plugin::BakkesModPlugin;
using Strings = std::vector<std::string>;

// The handle the module owns, seen the way the host sees it.
using simhost::PluginModule;

TEST(PluginLifecycle, CreationGivesOneObjectAtOneAddress) {
    simhost::PluginModule module(tavorindenModule());
    const std::uintptr_t first = module.record().createEntry();
    const std::uintptr_t second = module.record().createEntry();
    EXPECT_EQ(first, second);
    ASSERT_TRUE(PluginModule::handleAt(first));
    EXPECT_EQ(PluginModule::handleAt(first).use_count(), 1);
    EXPECT_EQ(PluginModule::handleAt(first)->cvarManagerPtr, nullptr);
    EXPECT_EQ(PluginModule::handleAt(first)->gameWrapperPtr, nullptr);
}

TEST(PluginLifecycle, TheModuleKnowsWhatLiesInsideIt) {
    simhost::PluginModule module(tavorindenModule());
    EXPECT_TRUE(module.contains(module.record().versionText));
    EXPECT_TRUE(module.contains(reinterpret_cast<const void*>(module.record().createEntry)));
    const char* ours = "a text of the test program";
    EXPECT_FALSE(module.contains(ours));
    EXPECT_FALSE(module.contains(nullptr));
}

TEST(PluginLifecycle, ReleaseWithNothingHeldDoesNothing) {
    simhost::PluginModule module(tavorindenModule());
    module.release();
    const std::uintptr_t address = module.record().createEntry();
    ASSERT_TRUE(PluginModule::handleAt(address));
    EXPECT_EQ(PluginModule::handleAt(address).use_count(), 1);

    module.release();
    EXPECT_FALSE(PluginModule::handleAt(address));
    module.release();
    EXPECT_FALSE(PluginModule::handleAt(address));

    // A later creation starts over with a fresh object.
    EXPECT_EQ(module.record().createEntry(), address);
    EXPECT_TRUE(PluginModule::handleAt(address));
}

TEST(PluginLifecycle, ReleaseKeepsTheObjectWhileTheHostHoldsACopy) {
    simhost::PluginModule module(tavorindenModule());
    std::weak_ptr<BakkesModPlugin> object;
    {
        const auto copy = module.create();
        object = copy;
        const std::uintptr_t address = module.record().createEntry();  // the same handle again
        module.release();
        EXPECT_FALSE(PluginModule::handleAt(address));  // the module's share is gone
        EXPECT_FALSE(object.expired());                 // the host's copy keeps the object
    }
    EXPECT_TRUE(object.expired());
}

class PluginWithServices : public ::testing::Test {
protected:
    // Loads the plug-in with watched services and watches its switch.
    void SetUp() override {
        host.modules().setServiceMaker(services.maker());
        id = host.modules().load(tavorindenModule());
        const auto* variable = host.variables().find("cl_tavorinden");
        ASSERT_NE(variable, nullptr);
        ASSERT_EQ(variable->bindings().size(), 1u);
        services.watch(variable->bindings().front().second);
    }

    // The object goes with its switch first, then its game and console services.
    const Strings inOrder{"game (switch gone)", "cvarManager (switch gone)"};
    ServiceWatch services;  // outlives the host, which may still unload the module
    simhost::Host host;
    simhost::ModuleId id = 0;
};

TEST_F(PluginWithServices, EveryOrderOfReleaseDestroysTheObjectInOrder) {
    host.modules().unload(id);
    EXPECT_EQ(services.released, inOrder);

    services.released.clear();
    SetUp();
    host.modules().unload(id, {.releaseBeforeHostCopy = true});
    EXPECT_EQ(services.released, inOrder);
}

TEST_F(PluginWithServices, ClosingTheModuleDestroysAnObjectOnlyItHolds) {
    host.modules().unload(id, {.skipReleaseEntry = true});
    EXPECT_EQ(services.released, inOrder);
}

TEST_F(PluginWithServices, AReopenedModuleStartsWithoutAnObject) {
    host.modules().unload(id);
    simhost::PluginModule reopened(tavorindenModule());
    const std::uintptr_t address = reopened.record().createEntry();
    ASSERT_TRUE(PluginModule::handleAt(address));
    EXPECT_EQ(PluginModule::handleAt(address)->cvarManagerPtr, nullptr);
    EXPECT_EQ(reopened.record().versionText, std::string(TAVORINDEN_VERSION));
}

}  // namespace
