#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <new>
#include <string>

#include "call_recorder.h"
#include "counting_new.h"
#include "simhost/host.h"
#include "simhost/host_error.h"
#include "simhost/loading/plugin_module.h"
#include "test_modules.h"

namespace {

using BakkesMod::Plugin::BakkesModPlugin;

using simhost::PluginModule;

class GetPluginOutOfMemory : public ::testing::Test {
protected:
    // The module's handle, known and empty again.
    void SetUp() override {
        address = module.record().createEntry();
        module.release();
        ASSERT_FALSE(PluginModule::handleAt(address));
    }
    void TearDown() override { allocation::disarm(); }

    simhost::PluginModule module{tavorindenModule()};
    std::uintptr_t address = 0;
};

TEST_F(GetPluginOutOfMemory, CreationMakesTwoAllocations) {
    const long long before = allocation::total();
    module.record().createEntry();
    EXPECT_EQ(allocation::total() - before, 2);
}

TEST_F(GetPluginOutOfMemory, FailingOnTheObjectLeavesTheHandleEmpty) {
    const long long live = allocation::live();
    allocation::failNth(1);
    EXPECT_THROW(module.record().createEntry(), std::bad_alloc);
    EXPECT_FALSE(PluginModule::handleAt(address));
    EXPECT_EQ(allocation::live(), live);
}

TEST_F(GetPluginOutOfMemory, FailingOnTheSharedCountDestroysTheNewObject) {
    const long long live = allocation::live();
    allocation::failNth(2);
    EXPECT_THROW(module.record().createEntry(), std::bad_alloc);
    EXPECT_FALSE(PluginModule::handleAt(address));
    EXPECT_EQ(allocation::live(), live);  // the object's memory went back

    EXPECT_EQ(module.record().createEntry(), address);
    EXPECT_TRUE(PluginModule::handleAt(address));
}

// Every allocation a load makes, the plug-in's own and the host's, fails once in turn. Each
// failure must reach the caller as the loader's error, crash nothing, leak nothing, and leave a
// host in which the module then loads, draws and unloads.
TEST(LoadOutOfMemory, EveryAllocationOfALoadCanFail) {
    long long allocationsPerLoad = 0;
    {
        simhost::Host host({64, 32});
        const long long before = allocation::total();
        host.modules().unload(host.modules().load(tavorindenModule()));
        allocationsPerLoad = allocation::total() - before;
    }
    ASSERT_GT(allocationsPerLoad, 10);

    int refused = 0;
    for (long long n = 1; n <= allocationsPerLoad; ++n) {
        SCOPED_TRACE("allocation " + std::to_string(n) + " fails");
        const long long live = allocation::live();
        {
            simhost::Host host({64, 32});
            CallRecorder recorder(host.canvas());
            allocation::failNth(n);
            try {
                host.modules().unload(host.modules().load(tavorindenModule()));
            } catch (const simhost::HostError& error) {
                ++refused;
                EXPECT_NE(std::string(error.what()).find("Tavorinden"), std::string::npos)
                    << error.what();
            }
            allocation::disarm();
            EXPECT_TRUE(host.modules().loaded().empty());
            EXPECT_EQ(host.overlay().count(), 0u);

            const auto id = host.modules().load(tavorindenModule());
            host.draw();
            EXPECT_EQ(recorder.calls.size(), 3u);
            host.modules().unload(id);
        }
        EXPECT_EQ(allocation::live(), live);
    }
    // Unloading allocates too; the loads' own failures must all have been refused.
    EXPECT_GT(refused, 10);
}

}  // namespace
