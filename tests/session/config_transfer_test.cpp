#include "session/config_transfer.h"
#include "session/unit_session.h"
#include "config/block_layouts.h"
#include "config/config_store.h"
#include "protocol/message_catalogue.h"

#include <gtest/gtest.h>

#include "tests/support/answers.h"
#include "tests/support/recording_link.h"

using namespace vm;

namespace {

// The answer to a request: read answers share the write layout, under their own code.
LinkPacket AsAnswer(LinkPacket p, std::uint8_t code) {
    p.bytes[3] = code;
    p.seal();
    return p;
}

struct WriteOf {
    std::uint8_t read, write, answer;
};
constexpr WriteOf kBlocks[] = {
    {msg::INPUT_CFG_READ, msg::INPUT_CFG_WRITE, msg::INPUT_CFG},
    {msg::OUTPUT_CFG_READ, msg::OUTPUT_CFG_WRITE, msg::OUTPUT_CFG},
    {msg::LOW_BATT_CFG_READ, msg::LOW_BATT_CFG_WRITE, msg::LOW_BATT_CFG},
    {msg::CAN_RULE_READ, msg::CAN_RULE_WRITE, msg::CAN_RULE},
    {msg::CAN_SETTINGS_READ, msg::CAN_SETTINGS_WRITE, msg::CAN_SETTINGS},
    {msg::BOX_NAME_READ, msg::BOX_NAME_WRITE, msg::BOX_NAME},
    {msg::VIRTUAL_INPUT_READ, msg::VIRTUAL_INPUT_WRITE, msg::VIRTUAL_INPUT},
    {msg::START_BUTTON_CFG_READ, msg::START_BUTTON_CFG_WRITE, msg::START_BUTTON_CFG},
    {msg::FLASH_READ, msg::FLASH_WRITE, msg::FLASH},
    {msg::PWM_CFG_READ, msg::PWM_CFG_WRITE, msg::PWM_CFG},
    {msg::CAN_EXPORT1_READ, msg::CAN_EXPORT1_WRITE, msg::CAN_EXPORT1},
    {msg::CAN_EXPORT_READ, msg::CAN_EXPORT_WRITE, msg::CAN_EXPORT},
};

// Acknowledgement codes of the writes.
std::uint8_t AckOf(std::uint8_t write) {
    switch (write) {
    case msg::INPUT_CFG_WRITE: return msg::INPUT_CFG_WRITE_DONE;
    case msg::OUTPUT_CFG_WRITE: return msg::OUTPUT_CFG_WRITE_DONE;
    case msg::LOW_BATT_CFG_WRITE: return msg::LOW_BATT_CFG_WRITE_DONE;
    case msg::START_BUTTON_CFG_WRITE: return msg::START_BUTTON_CFG_WRITE_DONE;
    case msg::CAN_RULE_WRITE: return msg::CAN_RULE_WRITE_DONE;
    case msg::CAN_SETTINGS_WRITE: return msg::CAN_SETTINGS_WRITE_DONE;
    case msg::BOX_NAME_WRITE: return msg::BOX_NAME_WRITE_DONE;
    case msg::VIRTUAL_INPUT_WRITE: return msg::VIRTUAL_INPUT_WRITE_DONE;
    case msg::FLASH_WRITE: return msg::FLASH_WRITE_DONE;
    case msg::PWM_CFG_WRITE: return msg::PWM_CFG_WRITE_DONE;
    case msg::CAN_EXPORT1_WRITE: return msg::CAN_EXPORT1_WRITE_DONE;
    case msg::CAN_EXPORT_WRITE: return msg::CAN_EXPORT_WRITE_DONE;
    default: return 0;
    }
}

class ConfigTransferTest : public ::testing::Test {
protected:
    ConfigTransferTest() { unit.SetConnected(true); }

    // A unit that answers every request from `source` and acknowledges every write.
    void AnswerEverything(int limit = 1000) {
        std::size_t next = 0;
        while (next < link.sent.size() && limit-- > 0) {
            const LinkPacket request = link.sent[next++];
            const std::uint8_t code = request.command();
            if (const std::uint8_t ack = AckOf(code)) {
                unit.Dispatch(test::Answer(ack, {request.payload(0)}));
                continue;
            }
            for (const WriteOf& b : kBlocks) {
                if (b.read != code) continue;
                // Inputs and outputs come all at once, numbered from 1.
                const int count = code == msg::INPUT_CFG_READ ? kInputCount : code == msg::OUTPUT_CFG_READ ? kOutputCount : 1;
                const int first = count > 1 ? 1 : request.payload(0);
                for (int i = first; i < first + count; ++i)
                    unit.Dispatch(AsAnswer(PackConfigBlock(source, b.write, i).packet, b.answer));
            }
        }
    }
    int countSent(std::uint8_t code) const {
        int n = 0;
        for (const auto& p : link.sent) n += p.command() == code;
        return n;
    }

    RecordingLink link;
    UnitSession unit{link, nullptr};
    ConfigStore store;
    ConfigStore source;
    ConfigTransfer transfer{unit, store};
};

} // namespace

TEST_F(ConfigTransferTest, ReadChainAsks63TimesAndStores106Blocks) {
    source.setBoxName("Truck 7");
    int ended = 0;
    QObject::connect(&transfer, &ConfigTransfer::chainEnded, [&] { ++ended; });
    transfer.StartRead();
    EXPECT_EQ(transfer.state(), 1);
    AnswerEverything();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(link.sent.size(), 63u);
    EXPECT_EQ(transfer.blocksApplied(), 106);
    EXPECT_EQ(transfer.state(), 0);
    EXPECT_EQ(transfer.position(), 0);
    EXPECT_EQ(unit.state().namesDirty, 1);
    EXPECT_EQ(store.boxName(), "Truck 7");
    // The order of the chain.
    const std::vector<int> firstOfEach = {msg::INPUT_CFG_READ, msg::OUTPUT_CFG_READ, msg::LOW_BATT_CFG_READ,
                                          msg::CAN_RULE_READ};
    for (std::size_t i = 0; i < firstOfEach.size(); ++i) EXPECT_EQ(link.sent[i].command(), firstOfEach[i]);
    EXPECT_EQ(link.sent[35].command(), msg::CAN_SETTINGS_READ);
    EXPECT_EQ(link.sent[36].command(), msg::BOX_NAME_READ);
    EXPECT_EQ(link.sent[37].command(), msg::VIRTUAL_INPUT_READ);
    EXPECT_EQ(link.sent[52].command(), msg::START_BUTTON_CFG_READ);
    EXPECT_EQ(link.sent[58].command(), msg::PWM_CFG_READ);
    EXPECT_EQ(link.sent[59].command(), msg::CAN_EXPORT1_READ);
    EXPECT_EQ(link.sent[62].payload(0), 2);
}

TEST_F(ConfigTransferTest, UploadChainSends106BlocksInOrder) {
    int ended = 0;
    QObject::connect(&transfer, &ConfigTransfer::chainEnded, [&] { ++ended; });
    transfer.StartUpload();
    EXPECT_EQ(transfer.state(), 3);
    AnswerEverything();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(link.sent.size(), 106u);
    const std::pair<std::uint8_t, int> counts[] = {
        {msg::INPUT_CFG_WRITE, 11}, {msg::OUTPUT_CFG_WRITE, 34}, {msg::CAN_RULE_WRITE, 32},
        {msg::VIRTUAL_INPUT_WRITE, 15}, {msg::FLASH_WRITE, 5}, {msg::CAN_EXPORT_WRITE, 3},
        {msg::LOW_BATT_CFG_WRITE, 1}, {msg::START_BUTTON_CFG_WRITE, 1}, {msg::BOX_NAME_WRITE, 1}};
    for (const auto& [code, n] : counts) EXPECT_EQ(countSent(code), n) << int(code);
    EXPECT_EQ(link.sent[45].command(), msg::LOW_BATT_CFG_WRITE);
    EXPECT_EQ(link.sent[46].command(), msg::START_BUTTON_CFG_WRITE);
    EXPECT_EQ(link.sent[79].command(), msg::CAN_SETTINGS_WRITE);
    EXPECT_EQ(link.sent[80].command(), msg::BOX_NAME_WRITE);
    for (int i = 0; i < 34; ++i) EXPECT_EQ(link.sent[11 + i].payload(0), i + 1);
}

TEST_F(ConfigTransferTest, CancelDuringOutputsLetsTheChainRunOn) {
    transfer.StartRead();
    for (int i = 1; i <= kInputCount; ++i)
        unit.Dispatch(AsAnswer(PackConfigBlock(source, msg::INPUT_CFG_WRITE, i).packet, msg::INPUT_CFG));
    for (int ch = 1; ch <= 10; ++ch)
        unit.Dispatch(AsAnswer(PackConfigBlock(source, msg::OUTPUT_CFG_WRITE, ch).packet, msg::OUTPUT_CFG));
    transfer.CancelTransfer();
    EXPECT_EQ(transfer.state(), 0);
    for (int ch = 11; ch <= kOutputCount; ++ch)
        unit.Dispatch(AsAnswer(PackConfigBlock(source, msg::OUTPUT_CFG_WRITE, ch).packet, msg::OUTPUT_CFG));
    EXPECT_EQ(link.sent.back().command(), msg::LOW_BATT_CFG_READ);
    unit.Dispatch(AsAnswer(PackConfigBlock(source, msg::LOW_BATT_CFG_WRITE, 0).packet, msg::LOW_BATT_CFG));
    EXPECT_EQ(transfer.state(), 7);
    EXPECT_EQ(link.sent.back().command(), msg::CAN_RULE_READ);
    EXPECT_EQ(link.sent.back().payload(0), 0);
}

TEST_F(ConfigTransferTest, OutOfRangeIndexesMoveOnWithoutStoring) {
    struct Case {
        std::uint8_t answer;
        std::uint8_t index;
        std::uint8_t from, state;
        int next; // request sent next
    };
    const Case cases[] = {
        {msg::FLASH, 7, 15, 13, msg::PWM_CFG_READ},
        {msg::VIRTUAL_INPUT, 20, 9, 11, msg::START_BUTTON_CFG_READ},
        {msg::CAN_RULE, 32, 7, 20, msg::CAN_SETTINGS_READ},
        {msg::CAN_EXPORT, 1, 18, 18, msg::CAN_EXPORT_READ},
    };
    for (const Case& c : cases) {
        transfer.SetStep(static_cast<TransferStep>(c.from), transfer.position());
        const int before = transfer.blocksApplied();
        unit.Dispatch(test::Answer(c.answer, {c.index}));
        EXPECT_EQ(transfer.state(), c.state) << int(c.answer);
        EXPECT_EQ(link.sent.back().command(), c.next) << int(c.answer);
        if (c.answer != msg::CAN_EXPORT) {
            EXPECT_EQ(transfer.blocksApplied(), before) << int(c.answer);
        }
    }
    EXPECT_EQ(link.sent.back().payload(0), 2); // export index 1 asks for index 2
    int ended = 0;
    QObject::connect(&transfer, &ConfigTransfer::chainEnded, [&] { ++ended; });
    const std::size_t sent = link.sent.size();
    unit.Dispatch(test::Answer(msg::CAN_EXPORT, {2}));
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(link.sent.size(), sent);
}

TEST_F(ConfigTransferTest, AnExportTextThatIsNoNumberStopsTheStep) {
    CanExportControls bad = store.canExport(1);
    bad.id = "XYZ";
    store.setCanExport(1, bad);
    QString error;
    QObject::connect(&transfer, &ConfigTransfer::packFailed, [&](const QString& e) { error = e; });
    unit.Dispatch(test::Answer(msg::PWM_CFG_WRITE_DONE));
    EXPECT_EQ(transfer.state(), 17);
    EXPECT_TRUE(error.contains("XYZ")) << error.toStdString();
    EXPECT_TRUE(link.sent.empty());
}
