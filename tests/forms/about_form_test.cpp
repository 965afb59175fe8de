#include "session/session_state.h"
#include "forms/about_form.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace vm;

namespace {

QString TextOf(const TAboutForm& form, const char* name) {
    auto* label = form.findChild<QLabel*>(name);
    return label ? label->text() : QStringLiteral("<missing>");
}

bool Shown(const TAboutForm& form, const char* name) {
    auto* label = form.findChild<QLabel*>(name);
    return label && !label->isHidden();
}

constexpr const char* kStatLabels[] = {"LabelPowerUpTime", "LabelMaxTemp", "LabelMaxCurrent",
                                       "LabelWatchdogCount"};

} // namespace

TEST(AboutForm, Captions) {
    UnitStats stats;
    TAboutForm form(stats);
    EXPECT_EQ(form.windowTitle(), "About QX2750 Voltmast");
    const std::pair<const char*, QString> captions[] = {
        {"Label1", "Service and configuration tool"},
        {"Label6", "PC version :"},
        {"VersionLabel", "5.00"},
        {"Label7", "Voltmast version:"},
        {"LabelXRT_Version", "---"},
        {"CompiledLabel", CreatedText()},
        {"SuperUserLabel", "You are authorized as super user."}};
    for (const auto& [name, text] : captions)
        EXPECT_EQ(TextOf(form, name), text) << name;
    EXPECT_FALSE(Shown(form, "SuperUserLabel"));
    for (const char* name : {"WebSite", "Label9"})
        EXPECT_EQ(form.findChild<QLabel*>(name)->cursor().shape(), Qt::PointingHandCursor) << name;
}

TEST(AboutForm, StatisticsStayHiddenAndUnrefreshedUntilUnlocked) {
    UnitStats stats;
    TAboutForm form(stats);
    QSignalSpy unlocked(&form, &TAboutForm::unlocked);
    form.show();
    EXPECT_TRUE(form.tickTimer().isActive());
    EXPECT_EQ(form.tickTimer().interval(), 300);

    stats.version = "8.12";
    stats.maxCurrentTenths = 123;
    form.Timer1SecTickTimer();
    EXPECT_EQ(TextOf(form, "LabelXRT_Version"), "8.12");
    for (const char* name : kStatLabels) {
        EXPECT_FALSE(Shown(form, name)) << name;
        EXPECT_TRUE(TextOf(form, name).isEmpty()) << name;
    }

    // Ctrl+Q on the window, the rest on OKBtn, with Ctrl itself pressed in between.
    auto* ok = form.findChild<QPushButton*>("OKBtn");
    ASSERT_NE(ok, nullptr);
    QTest::keyClick(&form, Qt::Key_Q, Qt::ControlModifier);
    for (Qt::Key key : {Qt::Key_X, Qt::Key_2, Qt::Key_7, Qt::Key_5, Qt::Key_0}) {
        QTest::keyPress(ok, Qt::Key_Control, Qt::ControlModifier);
        QTest::keyClick(ok, key, Qt::ControlModifier);
    }
    EXPECT_EQ(unlocked.count(), 1);
    EXPECT_TRUE(form.isUnlocked());
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.tickTimer().isActive());
    EXPECT_EQ(ok->x(), form.width() - 15 - ok->width());

    form.show();
    for (const char* name : kStatLabels)
        EXPECT_TRUE(Shown(form, name)) << name;
    EXPECT_EQ(TextOf(form, "LabelMaxCurrent"), "Max Current : 12.3 Amps ");
    stats.watchdogCount = 3;
    form.Timer1SecTickTimer();
    EXPECT_EQ(TextOf(form, "LabelWatchdogCount"), "Watchdog Count : 3");
    EXPECT_FALSE(Shown(form, "SuperUserLabel"));
}
