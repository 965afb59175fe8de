#pragma once
// The live plot: total current, battery voltage, temperature and chosen
// channel currents over the last ten minutes, redrawn at most five times a
// second, with pause and a CSV recording of every sample.
#include "session/live_record.h"

#include <QDialog>
#include <QTimer>
#include <array>
#include <deque>
#include <memory>

class QChart;
class QChartView;
class QCheckBox;
class QFile;
class QLineSeries;
class QPushButton;
class QTextStream;
class QValueAxis;

namespace vm {

class UserPrompt;

class TLivePlotForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWindowSeconds = 600;
    static constexpr int kRedrawMs = 200;
    static constexpr int kPlotChannels = LiveStatus::kHighPowerChannels;

    // names: channel names 1..18 for the check boxes and the CSV header.
    TLivePlotForm(LiveStatus& live, UserPrompt& prompt, QStringList names, QWidget* parent = nullptr);
    ~TLivePlotForm() override;

    // A sample arrived (the live values signal); time is taken now.
    void AddSample(const LiveSample& sample);
    // The redraw timer's handler: moves what arrived into the curves.
    void Redraw();
    void PauseClick();
    void RecordClick();
    // Starts or stops writing CSV to path; false (with the message shown) when it cannot.
    bool StartRecording(const QString& path);
    void StopRecording();

    bool paused() const { return paused_; }
    bool recording() const { return csv_ != nullptr; }
    int pointsShown(int series) const; // 0 total, 1 battery, 2 temperature, 3.. channels
    QTimer& redrawTimer() { return redraw_; }
    QCheckBox* channelBox(int channel) const; // 1..18

private:
    void appendPoint(const LiveSample& s);
    double secondsOf(const QDateTime& t) const;

    LiveStatus& live_;
    UserPrompt& prompt_;
    QStringList names_;
    QDateTime start_;
    QChart* chart_ = nullptr;
    QChartView* view_ = nullptr;
    QValueAxis* timeAxis_ = nullptr;
    QValueAxis* ampsAxis_ = nullptr;
    QValueAxis* otherAxis_ = nullptr;
    std::vector<QLineSeries*> series_; // total, battery, temperature, then channels 1..18
    std::array<QCheckBox*, kPlotChannels> channelBoxes_{};
    QPushButton* pause_ = nullptr;
    QPushButton* record_ = nullptr;
    std::deque<LiveSample> pending_; // arrived since the last redraw
    QTimer redraw_;
    bool paused_ = false;
    std::unique_ptr<QFile> file_;
    std::unique_ptr<QTextStream> csv_;
};

} // namespace vm
