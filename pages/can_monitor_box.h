#pragma once
// The "CAN Monitor" group: the switch and the lines of the frames the unit
// sees, the last 5000 of them.
#include <QGroupBox>

class QCheckBox;
class QPlainTextEdit;

namespace vm {

class CanMonitorControl;
class CanMonitorModel;

class CanMonitorBox : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int kMaxLines = 5000;

    CanMonitorBox(CanMonitorControl& control, CanMonitorModel& lines, QWidget* parent = nullptr);

    void CheckBoxCanMonitorClick(bool ticked);
    void AppendLine(const QString& line);
    QCheckBox* checkBox() const { return CheckBoxCanMonitor; }
    QPlainTextEdit* memo() const { return MemoCanMonitor; }

private:
    CanMonitorControl& control_;
    QCheckBox* CheckBoxCanMonitor = nullptr;
    QPlainTextEdit* MemoCanMonitor = nullptr;
};

} // namespace vm
