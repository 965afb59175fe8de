#include "pages/can_monitor_box.h"

#include "session/can_monitor_control.h"
#include "session/unit_models.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace vm {

CanMonitorBox::CanMonitorBox(CanMonitorControl& control, CanMonitorModel& lines, QWidget* parent)
    : QGroupBox(QStringLiteral("CAN Monitor"), parent), control_(control) {
    setObjectName(QStringLiteral("GroupBoxCanMonitor"));
    CheckBoxCanMonitor = new QCheckBox(QStringLiteral("Enable"), this);
    CheckBoxCanMonitor->setObjectName(QStringLiteral("CheckBoxCanMonitor"));
    MemoCanMonitor = new QPlainTextEdit(this);
    MemoCanMonitor->setObjectName(QStringLiteral("MemoCanMonitor"));
    MemoCanMonitor->setReadOnly(true);
    MemoCanMonitor->setMaximumBlockCount(kMaxLines);
    MemoCanMonitor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoCanMonitor->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoCanMonitor->setMinimumHeight(120);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CheckBoxCanMonitor);
    layout->addWidget(MemoCanMonitor);

    connect(CheckBoxCanMonitor, &QCheckBox::clicked, this, &CanMonitorBox::CheckBoxCanMonitorClick);
    // Switched off elsewhere (before Read, Upload, Default settings): the box follows.
    connect(&control_, &CanMonitorControl::enabledChanged, this, [this](bool on) {
        const QSignalBlocker block(CheckBoxCanMonitor);
        CheckBoxCanMonitor->setChecked(on);
    });
    append_.setSingleShot(true);
    append_.setInterval(kAppendMs);
    connect(&append_, &QTimer::timeout, this, &CanMonitorBox::FlushLines);
    connect(&lines, &CanMonitorModel::lineReceived, this, &CanMonitorBox::AppendLine);
}

void CanMonitorBox::CheckBoxCanMonitorClick(bool ticked) {
    const bool on = control_.SetEnabled(ticked);
    if (CheckBoxCanMonitor->isChecked() != on) {
        const QSignalBlocker block(CheckBoxCanMonitor);
        CheckBoxCanMonitor->setChecked(on);
    }
}

void CanMonitorBox::AppendLine(const QString& line) {
    // At the wire's full rate a line each is too much layout work: batch them,
    // never holding more than the memo would keep.
    if (pending_.size() >= kMaxLines) pending_.removeFirst();
    pending_.append(line);
    if (!append_.isActive()) append_.start();
}

void CanMonitorBox::FlushLines() {
    append_.stop();
    if (pending_.isEmpty()) return;
    const QString text = pending_.join(QLatin1Char('\n'));
    linesShown_ += pending_.size();
    pending_.clear();
    // Follow the stream only when the reader is already at its end.
    QScrollBar* bar = MemoCanMonitor->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    const int kept = bar->value();
    MemoCanMonitor->appendPlainText(text);
    if (atEnd)
        bar->setValue(bar->maximum());
    else
        bar->setValue(kept);
}

} // namespace vm
