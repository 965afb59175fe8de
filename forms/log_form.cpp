#include "forms/log_form.h"

#include "link/traffic_log.h"

#include <QAction>
#include <QColor>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextCharFormat>

namespace vm {

TLogForm::TLogForm(TrafficLog& log, QWidget* parent) : QMainWindow(parent), log_(log) {
    setObjectName(QStringLiteral("LogForm"));
    setWindowTitle(QStringLiteral("LogForm"));
    resize(918, 738);

    RichEdit = new QPlainTextEdit(this);
    RichEdit->setObjectName(QStringLiteral("RichEdit"));
    RichEdit->setReadOnly(true);
    RichEdit->setUndoRedoEnabled(false);
    RichEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit->setMaximumBlockCount(kMaxLines);
    setCentralWidget(RichEdit);

    MenuClear = menuBar()->addAction(QStringLiteral("&Clear"));
    MenuClear->setObjectName(QStringLiteral("Clear1"));
    MenuOffline = menuBar()->addAction(QStringLiteral("Offline"));
    MenuOffline->setObjectName(QStringLiteral("Offline1"));
    MenuOffline->setCheckable(true);
    MenuOffline->setChecked(log_.offline());
    connect(MenuClear, &QAction::triggered, this, &TLogForm::ClearClick);
    connect(MenuOffline, &QAction::triggered, this, &TLogForm::OfflineClick);

    connect(&log_, &TrafficLog::line, this, &TLogForm::AppendLine);
    // Hidden, nobody reads the lines: the log keeps them raw until shown.
    log_.setWatched(false);
}

TLogForm::~TLogForm() { log_.setWatched(true); }

void TLogForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    log_.setWatched(true);
}

void TLogForm::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    log_.setWatched(false);
}

void TLogForm::AppendLine(const QString& text, quint32 colour) {
    if (log_.offline()) return;
    QTextCharFormat format;
    format.setForeground(QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF)));
    RichEdit->setCurrentCharFormat(format);
    RichEdit->appendPlainText(text);
}

void TLogForm::ClearClick() {
    if (!RichEdit->document()->isEmpty()) RichEdit->clear();
}

void TLogForm::OfflineClick() {
    log_.toggleOffline();
    MenuOffline->setChecked(log_.offline());
}

} // namespace vm
