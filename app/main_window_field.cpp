// Field kit: comparing the unit with a file, the CAN database of the exports
// and the live plot.
#include "app/main_window.h"

#include "config/config_diff.h"
#include "config/config_file.h"
#include "config/dbc_export.h"
#include "forms/compare_form.h"
#include "forms/live_plot_form.h"
#include "session/can_monitor_control.h"
#include "session/edit_tracker.h"
#include "session/user_prompt.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QStatusBar>

namespace vm {

namespace {
const QString kConfigFilter = QStringLiteral("config files (*.cfg *.CFG)");
const QString kDbcFilter = QStringLiteral("CAN database (*.dbc *.DBC)");
const QString kCompareReplacesQuestion = QStringLiteral(
    "Compare with unit reads the unit's configuration into the window. The changes not saved are lost. Go on?");
} // namespace

void TMainForm::MenuCompareClick() {
    const QString path = prompt_.AskOpenFile(kConfigFilter, settings_.configPath);
    if (!path.isEmpty()) CompareWithUnit(path);
}

void TMainForm::CompareWithUnit(const QString& path) {
    // The file is checked whole before anything goes to the unit.
    auto reference = std::make_shared<ConfigStore>();
    const ConfigFileReport report = ReadConfigFile(*reference, path);
    if (!report.ok) {
        prompt_.ShowError(report.error);
        return;
    }
    if (edits_->modified() && !prompt_.Confirm(kCompareReplacesQuestion)) return;
    monitor_->SwitchOffThen([this, reference, path] {
        if (!workflow_->Read()) return; // the workflow said why
        const ConfigComparison c = CompareConfigs(store_, *reference);
        if (!c.ok) {
            prompt_.ShowError(c.error);
            return;
        }
        QStringList lines;
        for (const ConfigDifference& d : c.differences) lines << DifferenceLine(d);
        delete compareForm_;
        compareForm_ = new TCompareForm(QFileInfo(path).fileName(), lines, this);
        compareForm_->setAttribute(Qt::WA_DeleteOnClose);
        connect(compareForm_, &QObject::destroyed, this, [this] { compareForm_ = nullptr; });
        compareForm_->open();
    });
}

void TMainForm::MenuExportDbcClick() {
    // What the unit would send, checked as an upload checks it.
    const DbcResult dbc = ExportDbc(store_);
    if (!dbc.ok) {
        prompt_.ShowError(dbc.error);
        return;
    }
    const QString path = prompt_.AskSaveFile(kDbcFilter, QStringLiteral("dbc"), settings_.configPath);
    if (path.isEmpty()) return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(dbc.text.toUtf8()) < 0 || !file.commit()) {
        prompt_.ShowError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
        return;
    }
    statusBar()->showMessage(QStringLiteral("Wrote %1").arg(QFileInfo(path).fileName()), 5000);
}

void TMainForm::MenuLivePlotClick() {
    if (!livePlot_) {
        QStringList names;
        for (int ch = 1; ch <= TLivePlotForm::kPlotChannels; ++ch) names << store_.output(ch).name;
        auto* plot = new TLivePlotForm(unit_.live(), prompt_, names, this);
        plot->setAttribute(Qt::WA_DeleteOnClose);
        livePlot_ = plot;
        // The plot needs the live values on every page while it is open.
        unit_.SetPollEverywhere(true);
        Timer1.start();
        connect(plot, &QObject::destroyed, this, [this] {
            livePlot_ = nullptr;
            unit_.SetPollEverywhere(false);
            if (!unit_.pollsNow()) Timer1.stop();
        });
    }
    livePlot_->show();
    livePlot_->raise();
    livePlot_->activateWindow();
}

} // namespace vm
