#pragma once
// The "Diagnostic" page: the unit's fault counters per channel in two tables
// and "Reset log".
#include "pages/diagnostic_table_view.h"
#include "session/diagnostics_reader.h"

#include <QWidget>

class QMessageBox;
class QPushButton;

namespace vm {

class ConfigStore;
class UserPrompt;

class DiagnosticPage : public QWidget {
    Q_OBJECT
public:
    DiagnosticPage(UnitSession& unit, const ConfigStore& store, UserPrompt& prompt, QWidget* parent = nullptr);
    static DiagnosticPage* AddTo(QWidget& sheet, UnitSession& unit, const ConfigStore& store, UserPrompt& prompt);

    DiagnosticsReader& reader() { return reader_; }
    // The page was chosen.
    void PageShown() { reader_.Read(); }
    void BtnClearDiagnosticClick();
    DiagnosticTableView* highPowerView() const { return ImageHighPowerDiagnostic; }
    DiagnosticTableView* lowPowerView() const { return ImageLowPowerDiagnostic; }
    // The non-modal note that the unit cleared its log; null until the first.
    QMessageBox* clearedNote() const { return clearedNote_; }

private:
    std::vector<DiagTableCell> highPowerRow(int row) const;
    std::vector<DiagTableCell> lowPowerRow(int row) const;
    QString channelName(int channel) const;
    void showCleared();

    DiagnosticsReader reader_;
    const ConfigStore& store_;
    UserPrompt& prompt_;
    QPushButton* BtnClearDiagnostic = nullptr;
    DiagnosticTableView* ImageHighPowerDiagnostic = nullptr;
    DiagnosticTableView* ImageLowPowerDiagnostic = nullptr;
    QMessageBox* clearedNote_ = nullptr;
};

} // namespace vm
