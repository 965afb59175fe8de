#pragma once
// The "CAN Monitor" group: the switch and the lines of the frames the unit
// sees, the last 5000 of them.
#include <QGroupBox>
#include <QStringList>
#include <QTimer>

class QCheckBox;
class QPlainTextEdit;

namespace vm {

class CanMonitorControl;
class CanMonitorModel;

class CanMonitorBox : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int kMaxLines = 5000;
    static constexpr int kAppendMs = 100; // lines reach the memo in batches

    CanMonitorBox(CanMonitorControl& control, CanMonitorModel& lines, QWidget* parent = nullptr);

    void CheckBoxCanMonitorClick(bool ticked);
    // Takes a line; it shows with the next batch.
    void AppendLine(const QString& line);
    // The batch timer's handler.
    void FlushLines();
    int pendingLines() const { return int(pending_.size()); }
    QCheckBox* checkBox() const { return CheckBoxCanMonitor; }
    QPlainTextEdit* memo() const { return MemoCanMonitor; }
    long long linesShown() const { return linesShown_; } // since the window opened

private:
    CanMonitorControl& control_;
    QCheckBox* CheckBoxCanMonitor = nullptr;
    QPlainTextEdit* MemoCanMonitor = nullptr;
    QStringList pending_;
    long long linesShown_ = 0;
    QTimer append_;
};

} // namespace vm
