#include <gtest/gtest.h>

#include "counting_new.h"
#include "simhost/host.h"
#include "test_modules.h"

namespace {

// A draw runs at hundreds of frames a second inside a game: neither the plug-in nor the host's
// call path may touch the heap.
TEST(DrawAllocations, NoneInAThousandDraws) {
    simhost::Host host({1920, 1080});
    host.modules().load(tavorindenModule());
    for (const char* value : {"1", "0"}) {
        SCOPED_TRACE(std::string("cl_tavorinden ") + value);
        host.variables().find("cl_tavorinden")->set(value);
        host.draw();
        const long long before = allocation::total();
        for (int i = 0; i < 1000; ++i) {
            host.draw();
        }
        EXPECT_EQ(allocation::total() - before, 0);
    }
}

}  // namespace
