#include "session/session_state.h"
#include "tools/about/about_logic.h"

#include <QRegularExpression>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

using namespace vm;

namespace {

using Press = std::pair<int, bool>; // key code, Ctrl held

// Feeds the presses; returns the index of the press that unlocked (-1: none).
int Type(AboutUnlock& unlock, const std::vector<Press>& presses) {
    int at = -1;
    for (std::size_t i = 0; i < presses.size(); ++i)
        if (unlock.KeyPressed(presses[i].first, presses[i].second)) at = static_cast<int>(i);
    return at;
}

const std::vector<Press> kSequence = {{Qt::Key_Q, true}, {Qt::Key_X, true}, {Qt::Key_2, true},
                                      {Qt::Key_7, true}, {Qt::Key_5, true}, {Qt::Key_0, true}};

} // namespace

TEST(AboutUnlock, CtrlSequenceUnlocksEvenWithModifierPressesBetween) {
    AboutUnlock unlock;
    std::vector<Press> presses;
    for (const Press& p : kSequence) {
        presses.push_back({Qt::Key_Control, true});
        presses.push_back({Qt::Key_Shift, true});
        presses.push_back(p);
    }
    EXPECT_EQ(Type(unlock, presses), static_cast<int>(presses.size()) - 1);

    // It lasts, whatever is typed afterwards.
    unlock.KeyPressed(Qt::Key_A, false);
    EXPECT_TRUE(unlock.unlocked());

    AboutUnlock lower; // key codes are compared in upper case
    EXPECT_EQ(Type(lower, {{'q', true}, {'x', true}, {'2', true}, {'7', true}, {'5', true}, {'0', true}}), 5);
}

TEST(AboutUnlock, WrongOrUnmodifiedKeyStartsOver) {
    std::vector<Press> wrongKey = kSequence;
    wrongKey.insert(wrongKey.begin() + 3, Press{Qt::Key_A, true});
    std::vector<Press> noCtrl = kSequence;
    noCtrl[2].second = false;
    std::vector<Press> qAgain = kSequence; // resets to 0, does not count as the first key
    qAgain.insert(qAgain.begin() + 2, Press{Qt::Key_Q, true});

    for (const auto& presses : {wrongKey, noCtrl, qAgain}) {
        AboutUnlock unlock;
        EXPECT_EQ(Type(unlock, presses), -1);
        EXPECT_FALSE(unlock.unlocked());
        EXPECT_EQ(Type(unlock, kSequence), 5); // from the start it works
    }
}

TEST(AboutTexts, StatisticsVersionAndBuildDate) {
    EXPECT_EQ(MaxCurrentText(123), "Max Current : 12.3 Amps ");
    EXPECT_EQ(MaxCurrentText(5), "Max Current : 0.5 Amps ");
    EXPECT_EQ(MaxCurrentText(65535), "Max Current : 6553.5 Amps ");
    EXPECT_EQ(PowerUpTimeText(16777215), "Seconds since powerup : 16777215");
    EXPECT_EQ(MaxTemperatureText(255), "Max temperatur : 255");
    EXPECT_EQ(WatchdogCountText(7), "Watchdog Count : 7");

    UnitStats stats;
    EXPECT_EQ(UnitVersionText(stats), "---");
    stats.version = "8.12";
    EXPECT_EQ(UnitVersionText(stats), "8.12");

    EXPECT_EQ(CreatedText(QDate(2009, 4, 1)), "Created: Apr  1 2009");
    EXPECT_EQ(BuildDateText(QDate(2024, 12, 25)), "Dec 25 2024");
    const QRegularExpression created("^Created: [A-Z][a-z]{2} [ 123]\\d \\d{4}$");
    EXPECT_TRUE(created.match(CreatedText()).hasMatch()) << CreatedText().toStdString();
}

TEST(AboutTexts, OnlyWebAddressesAreOpened) {
    EXPECT_EQ(WebAddressOf("https://example.org/service").toString(), "https://example.org/service");
    EXPECT_EQ(WebAddressOf("www.example.org").host(), "www.example.org");
    EXPECT_FALSE(WebAddressOf("Product support: ask the supplier of your unit").isValid());
}
