// The command line against a byte peer on a pseudo-terminal that answers the
// version request with what it likes: short answers are refused, an over-long
// frame is dropped whole and the next frame still counts.
#include "cli/cli_link.h"
#include "cli/cli_session.h"
#include "protocol/message_catalogue.h"

#include <QCoreApplication>
#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

#include "tests/support/pty_peer.h"
#include "tests/support/sim_test_util.h"

using namespace vm;
using namespace vm::cli;

namespace {

QCoreApplication& app() {
    static int argc = 1;
    static char name[] = "byte_peer";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

std::vector<std::uint8_t> StatusFrame(int payloadBytes) {
    std::vector<std::uint8_t> payload(static_cast<std::size_t>(payloadBytes), 0);
    const char text[] = "8.12";
    std::copy(text, text + 4, payload.begin());
    return sim::test::Frame(LinkPacket::make(kGroupApp, msg::STATUS, payload.data(), payloadBytes));
}

} // namespace

TEST(BytePeer, VersionGateTakesOnlyWholeAnswers) {
    app();
    struct Case {
        const char* what;
        int payload;        // STATUS carries 20 bytes
        bool overlongFirst; // 250 bytes without a frame end before the answer
        bool passes;
    };
    const Case cases[] = {
        {"short answer", 10, false, false},
        {"whole answer after an over-long frame", 20, true, true},
    };
    for (const Case& c : cases) {
        PtyPeer peer;
        Target target;
        target.port = peer.path();
        CliLink link;
        ASSERT_TRUE(link.open(target, nullptr)) << c.what;
        std::atomic<bool> stop{false};
        std::thread answerer([&] {
            const std::vector<std::uint8_t> request{4, kGroupApp, msg::STATUS_REQ};
            while (!stop) {
                const std::vector<std::uint8_t> in = peer.read(20);
                if (std::search(in.begin(), in.end(), request.begin(), request.end()) == in.end()) continue;
                if (c.overlongFirst) peer.write(std::vector<std::uint8_t>(250, 0x41));
                peer.write(StatusFrame(c.payload));
            }
        });
        std::ostringstream err;
        bool passed = false;
        {
            CliSession session(link, err);
            passed = session.workflow().CheckVersion();
        }
        stop = true;
        answerer.join();
        EXPECT_EQ(passed, c.passes) << c.what << ": " << err.str();
        if (!c.passes) EXPECT_NE(err.str().find("Timeout for software version"), std::string::npos) << err.str();
    }
}
