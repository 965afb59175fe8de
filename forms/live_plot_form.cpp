#include "forms/live_plot_form.h"

#include "session/user_prompt.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QTextStream>
#include <QValueAxis>
#include <QVBoxLayout>

namespace vm {

namespace {
constexpr int kFixedSeries = 3;
constexpr std::size_t kMaxPending = 10'000; // a paused plot keeps at most this many samples to draw
} // namespace

TLivePlotForm::TLivePlotForm(LiveStatus& live, UserPrompt& prompt, QStringList names, QWidget* parent)
    : QDialog(parent), live_(live), prompt_(prompt), names_(std::move(names)),
      start_(QDateTime::currentDateTime()) {
    setObjectName(QStringLiteral("LivePlotForm"));
    setWindowTitle(QStringLiteral("Live plot"));
    setModal(false);
    resize(900, 560);

    chart_ = new QChart;
    chart_->legend()->setAlignment(Qt::AlignBottom);
    timeAxis_ = new QValueAxis;
    timeAxis_->setTitleText(QStringLiteral("seconds"));
    timeAxis_->setLabelFormat(QStringLiteral("%d"));
    ampsAxis_ = new QValueAxis;
    ampsAxis_->setTitleText(QStringLiteral("A"));
    ampsAxis_->setRange(0, 10);
    otherAxis_ = new QValueAxis;
    otherAxis_->setTitleText(QStringLiteral("V, \u00B0C"));
    otherAxis_->setRange(0, 60);
    chart_->addAxis(timeAxis_, Qt::AlignBottom);
    chart_->addAxis(ampsAxis_, Qt::AlignLeft);
    chart_->addAxis(otherAxis_, Qt::AlignRight);

    auto addSeries = [this](const QString& name, QValueAxis* axis) {
        auto* s = new QLineSeries;
        s->setName(name);
        s->setUseOpenGL(false);
        chart_->addSeries(s);
        s->attachAxis(timeAxis_);
        s->attachAxis(axis);
        series_.push_back(s);
        return s;
    };
    addSeries(QStringLiteral("Total current"), ampsAxis_);
    addSeries(QStringLiteral("Battery"), otherAxis_);
    addSeries(QStringLiteral("Temperature"), otherAxis_);

    auto* channels = new QGridLayout;
    for (int ch = 1; ch <= kPlotChannels; ++ch) {
        const QString name = names_.value(ch - 1).trimmed();
        const QString label = QStringLiteral("%1: %2").arg(ch).arg(name.isEmpty() ? QStringLiteral("CH %1").arg(ch) : name);
        QLineSeries* s = addSeries(label, ampsAxis_);
        s->setVisible(false);
        auto* box = new QCheckBox(label, this);
        box->setObjectName(QStringLiteral("CheckBoxPlotCh%1").arg(ch));
        connect(box, &QCheckBox::toggled, s, &QLineSeries::setVisible);
        // A hidden curve has no legend entry either.
        connect(box, &QCheckBox::toggled, this, [this, s](bool on) {
            const auto markers = chart_->legend()->markers(s);
            for (auto* m : markers) m->setVisible(on);
        });
        channelBoxes_[std::size_t(ch - 1)] = box;
        channels->addWidget(box, (ch - 1) / 6, (ch - 1) % 6);
    }
    for (std::size_t i = kFixedSeries; i < series_.size(); ++i)
        for (auto* m : chart_->legend()->markers(series_[i])) m->setVisible(false);

    view_ = new QChartView(chart_, this);
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setObjectName(QStringLiteral("LivePlotView"));

    pause_ = new QPushButton(QStringLiteral("Pause"), this);
    pause_->setObjectName(QStringLiteral("BtnPause"));
    record_ = new QPushButton(QStringLiteral("Record..."), this);
    record_->setObjectName(QStringLiteral("BtnRecord"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    connect(pause_, &QPushButton::clicked, this, &TLivePlotForm::PauseClick);
    connect(record_, &QPushButton::clicked, this, &TLivePlotForm::RecordClick);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(pause_);
    buttons->addWidget(record_);
    buttons->addStretch();
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_, 1);
    layout->addLayout(channels);
    layout->addLayout(buttons);

    redraw_.setInterval(kRedrawMs);
    connect(&redraw_, &QTimer::timeout, this, &TLivePlotForm::Redraw);
    redraw_.start();
    connect(&live_, &LiveStatus::valuesChanged, this,
            [this] { AddSample(SampleOf(live_, QDateTime::currentDateTime())); });
    Redraw();
}

TLivePlotForm::~TLivePlotForm() { StopRecording(); }

QCheckBox* TLivePlotForm::channelBox(int channel) const {
    return channel >= 1 && channel <= kPlotChannels ? channelBoxes_[std::size_t(channel - 1)] : nullptr;
}

int TLivePlotForm::pointsShown(int series) const {
    return series >= 0 && series < int(series_.size()) ? int(series_[std::size_t(series)]->count()) : 0;
}

double TLivePlotForm::secondsOf(const QDateTime& t) const { return start_.msecsTo(t) / 1000.0; }

void TLivePlotForm::AddSample(const LiveSample& sample) {
    // The recording takes every sample, paused or not.
    if (csv_) {
        *csv_ << CsvRow(sample) << '\n';
        csv_->flush();
        if (csv_->status() != QTextStream::Ok) {
            const QString name = file_->fileName();
            StopRecording();
            prompt_.ShowError(QStringLiteral("Recording to %1 stopped: the file cannot be written").arg(name));
        }
    }
    if (pending_.size() >= kMaxPending) pending_.pop_front();
    pending_.push_back(sample);
}

void TLivePlotForm::appendPoint(const LiveSample& s) {
    const double t = secondsOf(s.time);
    series_[0]->append(t, s.totalCurrent);
    series_[1]->append(t, s.battery);
    series_[2]->append(t, s.temperature);
    for (int ch = 0; ch < kPlotChannels; ++ch)
        series_[std::size_t(kFixedSeries + ch)]->append(t, s.channelCurrents[std::size_t(ch)]);
}

void TLivePlotForm::Redraw() {
    if (paused_ || pending_.empty()) return;
    const double now = secondsOf(pending_.back().time);
    const double from = now - kWindowSeconds;
    double maxAmps = ampsAxis_->max();
    for (const LiveSample& s : pending_) {
        appendPoint(s);
        maxAmps = std::max(maxAmps, s.totalCurrent * 1.1);
    }
    pending_.clear();
    // Points older than the window go, so memory stays bounded.
    for (QLineSeries* s : series_) {
        int old = 0;
        while (old < s->count() && s->at(old).x() < from) ++old;
        if (old > 0) s->removePoints(0, old);
    }
    timeAxis_->setRange(std::max(0.0, from), std::max(now, 10.0));
    ampsAxis_->setRange(0, maxAmps);
}

void TLivePlotForm::PauseClick() {
    paused_ = !paused_;
    pause_->setText(paused_ ? QStringLiteral("Resume") : QStringLiteral("Pause"));
    if (!paused_) Redraw();
}

void TLivePlotForm::RecordClick() {
    if (recording()) {
        StopRecording();
        return;
    }
    const QString path = prompt_.AskSaveFile(QStringLiteral("CSV files (*.csv)"), QStringLiteral("csv"), QString());
    if (!path.isEmpty()) StartRecording(path);
}

bool TLivePlotForm::StartRecording(const QString& path) {
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        prompt_.ShowError(QStringLiteral("Cannot record to %1: %2").arg(path, file->errorString()));
        return false;
    }
    file_ = std::move(file);
    csv_ = std::make_unique<QTextStream>(file_.get());
    *csv_ << CsvHeader(names_) << '\n';
    csv_->flush();
    record_->setText(QStringLiteral("Stop recording"));
    return true;
}

void TLivePlotForm::StopRecording() {
    csv_.reset();
    file_.reset();
    if (record_) record_->setText(QStringLiteral("Record..."));
}

} // namespace vm
