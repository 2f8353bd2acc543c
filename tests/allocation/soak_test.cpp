#include <gtest/gtest.h>

#include <algorithm>

#include "counting_new.h"
#include "simhost/host.h"
#include "test_modules.h"

namespace {

// One life of the module in a host of its own: load, draw with the switch flipped, unload, with
// the release entry called before or after the host drops its copy.
void cycle(bool releaseBeforeHostCopy) {
    simhost::Host host({320, 180});
    const auto id = host.modules().load(tavorindenModule());
    host.draw();
    host.variables().find("cl_tavorinden")->set("0");
    host.draw();
    host.variables().find("cl_tavorinden")->set("1");
    host.draw();
    host.modules().unload(id, {.releaseBeforeHostCopy = releaseBeforeHostCopy});
}

TEST(Soak, TenThousandCyclesLeaveNothingBehind) {
    long long liveAfterFirstThousand = 0;
    long long highestInLastThousand = 0;
    for (int i = 0; i < 10'000; ++i) {
        cycle(i % 2 == 0);
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
