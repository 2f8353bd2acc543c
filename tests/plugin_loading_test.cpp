#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "simhost/host.h"
#include "simhost/loading/plugin_module.h"
#include "tavorinden.h"
#include "test_modules.h"

namespace {

using simhost::Host;

TEST(PluginLoading, TheVersionLineIsTheOneNewLogLine) {
    Host host;
    host.log().write("earlier line");
    host.modules().load(tavorindenModule());
    EXPECT_EQ(host.log().lines(), (std::vector<std::string>{
                                      "earlier line", "Tavorinden version: " TAVORINDEN_VERSION}));
}

TEST(PluginLoading, RegistersTheSwitchVariable) {
    Host host;
    host.modules().load(tavorindenModule());
    const simhost::ConsoleVariable* variable = host.variables().find("cl_tavorinden");
    ASSERT_NE(variable, nullptr);
    const auto& definition = variable->definition();
    EXPECT_EQ(definition.defaultValue, "1");
    EXPECT_EQ(definition.description, "Tavorinden!");
    EXPECT_EQ(definition.minimum, 0.0f);
    EXPECT_EQ(definition.maximum, 1.0f);
    EXPECT_TRUE(definition.listed);
    EXPECT_TRUE(definition.persistent);
    EXPECT_EQ(variable->text(), "1");
    EXPECT_EQ(host.variables().size(), 1u);
}

TEST(PluginLoading, TheVersionLineShowsWhatTheRecordHolds) {
    Host host;
    simhost::PluginModule module(tavorindenModule());
    module.record().displayName = "Renamed";
    module.record().versionText = "9.99-test";
    host.modules().load(std::move(module));
    ASSERT_EQ(host.log().lines().size(), 1u);
    EXPECT_EQ(host.log().lines().front(), "Renamed version: 9.99-test");
}

TEST(PluginLoading, BindsTheVeryBooleanThePluginReads) {
    Host host;
    const auto id = host.modules().load(tavorindenModule());
    const auto* plugin = static_cast<const Tavorinden*>(host.modules().find(id)->plugin.get());
    const auto& bindings = host.variables().find("cl_tavorinden")->bindings();
    ASSERT_EQ(bindings.size(), 1u);
    EXPECT_EQ(bindings.front().second.get(), plugin->coverEnabled.get());
    EXPECT_TRUE(*plugin->coverEnabled);

    host.variables().find("cl_tavorinden")->set("0");
    EXPECT_FALSE(*plugin->coverEnabled);
}

TEST(PluginLoading, KeepsThePlayersSettingAcrossAReload) {
    Host host;
    host.modules().unload(host.modules().load(tavorindenModule()));
    ASSERT_TRUE(host.variables().find("cl_tavorinden")->bindings().empty());
    host.variables().find("cl_tavorinden")->set("0");

    host.modules().load(tavorindenModule());
    EXPECT_EQ(host.log().lines(),
              (std::vector<std::string>{"Tavorinden version: " TAVORINDEN_VERSION,
                                        "Tavorinden version: " TAVORINDEN_VERSION}));
    const auto& bindings = host.variables().find("cl_tavorinden")->bindings();
    ASSERT_EQ(bindings.size(), 1u);
    EXPECT_FALSE(*bindings.front().second);
}

}  // namespace
