// SimPty as built where there are no pseudo-terminals. Compiled on every system
// so that file keeps building; it stands in for the library's POSIX SimPty here.
#include "sim/sim_pty.h"
#include "sim/sim_unit.h"

#include <gtest/gtest.h>

namespace vm::sim {

TEST(SimPtyUnsupported, StartFailsWithAReasonAndTheUnitStillWorks) {
    SimPty sim;
    std::string error;
    EXPECT_FALSE(sim.start(&error));
    EXPECT_NE(error.find("not available"), std::string::npos) << error;
    EXPECT_FALSE(sim.running());

    sim.changeState([](SimState& s) { s.version = "9.01"; });
    std::string seen;
    EXPECT_TRUE(sim.inspectState([&](const SimState& s) { seen = s.version; }));
    EXPECT_EQ(seen, "9.01");
    sim.stop(); // harmless without a start
}

} // namespace vm::sim
