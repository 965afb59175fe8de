// The live plot takes samples as they come, draws them only on its redraw
// tick, keeps ten minutes, records CSV, and goes away cleanly.
#include "forms/live_plot_form.h"
#include "protocol/message_catalogue.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "tests/support/scripted_prompt.h"

using namespace vm;

namespace {
LiveSample At(const QDateTime& t, double amps) {
    LiveSample s;
    s.time = t;
    s.totalCurrent = amps;
    s.battery = 12.6;
    s.temperature = 31;
    s.channelCurrents[4] = 2.5;
    return s;
}
} // namespace

TEST(LivePlotForm, RedrawsOnItsTickAndKeepsTenMinutes) {
    LiveStatus live;
    ScriptedPrompt prompt;
    QPointer<TLivePlotForm> form = new TLivePlotForm(live, prompt, {"Beacon"});
    form->show();
    EXPECT_EQ(form->redrawTimer().interval(), 200);
    EXPECT_EQ(form->channelBox(1)->text(), "1: Beacon");
    EXPECT_EQ(form->channelBox(2)->text(), "2: CH 2");

    // Forty samples between two ticks are drawn once, all of them.
    const QDateTime t0 = QDateTime::currentDateTime();
    for (int i = 0; i < 40; ++i) form->AddSample(At(t0.addMSecs(450 * i), i));
    EXPECT_EQ(form->pointsShown(0), 0);
    form->Redraw();
    EXPECT_EQ(form->pointsShown(0), 40);
    EXPECT_EQ(form->pointsShown(3 + 4), 40); // channel 5

    // Paused: nothing moves; resumed: what came meanwhile is drawn.
    form->PauseClick();
    form->AddSample(At(t0.addSecs(30), 1));
    form->Redraw();
    EXPECT_EQ(form->pointsShown(0), 40);
    form->PauseClick();
    EXPECT_EQ(form->pointsShown(0), 41);

    // Eleven minutes later only the last ten remain.
    form->AddSample(At(t0.addSecs(660), 1));
    form->Redraw();
    EXPECT_EQ(form->pointsShown(0), 1);

    form->setAttribute(Qt::WA_DeleteOnClose);
    form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
}

TEST(LivePlotForm, RecordsEverySampleAsCsv) {
    QTemporaryDir dir;
    LiveStatus live;
    ScriptedPrompt prompt;
    TLivePlotForm form(live, prompt, {"Head, left"});
    const QString path = dir.filePath("road.csv");
    ASSERT_TRUE(form.StartRecording(path));
    form.PauseClick(); // the recording goes on while the plot is paused
    live.ShowLiveValues(LinkPacket::make(kGroupApp, msg::LIVE_VALUES, {0, 0, 0x01, 0x2C, 125, 31}));
    form.StopRecording();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("time,total current [A],battery [V],temperature [C],\"1: Head, left [A]\",2: CH 2 [A]"))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains(",30.0,12.5,31,0.0,")) << lines[1].toStdString();

    EXPECT_FALSE(form.StartRecording(dir.filePath("no/such/dir/x.csv")));
    EXPECT_EQ(prompt.errors.size(), 1);
    EXPECT_FALSE(form.recording());
}
