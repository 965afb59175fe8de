#include "pages/diagnostic_page.h"

#include "config/config_store.h"
#include "pages/diagnostic_table_view.h"
#include "session/config_workflow.h"
#include "session/user_prompt.h"
#include "session/window_title.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace vm {

namespace {
const QString kCount = QStringLiteral("Error Count");

DiagTableCell Cell(const DiagCell& c) { return {c.text, c.alarm}; }

QGroupBox* Framed(const QString& title, QWidget* content, QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(content);
    return group;
}
} // namespace

DiagnosticPage::DiagnosticPage(UnitSession& unit, const ConfigStore& store, UserPrompt& prompt, QWidget* parent)
    : QWidget(parent), reader_(unit), store_(store), prompt_(prompt) {
    setObjectName(QStringLiteral("DiagnosticPage"));
    const std::vector<DiagColumn> high = {
        {130, QStringLiteral("Channel Name"), {}},
        {100, kCount, QStringLiteral("Short Circuit")},
        {100, kCount, QStringLiteral("Trip Level")},
        {130, QStringLiteral("Trip Level"), QStringLiteral("Current Draw")},
        {100, kCount, QStringLiteral("Low Current")},
    };
    const std::vector<DiagColumn> low = {
        {130, QStringLiteral("Channel Name"), {}},
        {100, kCount, QStringLiteral("Short Circuit")},
    };
    ImageHighPowerDiagnostic = new DiagnosticTableView(QSize(561, 441), high, kHighPowerDiagRows,
                                                       [this](int r) { return highPowerRow(r); }, this);
    ImageHighPowerDiagnostic->setObjectName(QStringLiteral("ImageHighPowerDiagnostic"));
    ImageLowPowerDiagnostic = new DiagnosticTableView(QSize(233, 441), low, kLowPowerDiagRows,
                                                      [this](int r) { return lowPowerRow(r); }, this);
    ImageLowPowerDiagnostic->setObjectName(QStringLiteral("ImageLowPowerDiagnostic"));

    BtnClearDiagnostic = new QPushButton(QStringLiteral("Reset log"), this);
    BtnClearDiagnostic->setObjectName(QStringLiteral("BtnClearDiagnostic"));
    connect(BtnClearDiagnostic, &QPushButton::clicked, this, &DiagnosticPage::BtnClearDiagnosticClick);

    auto* tables = new QHBoxLayout;
    // The design widths 561 : 233 share the page as they grow.
    tables->addWidget(Framed(QStringLiteral("High power channels"), ImageHighPowerDiagnostic, this), 561);
    tables->addWidget(Framed(QStringLiteral("Low power channels"), ImageLowPowerDiagnostic, this), 233);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnClearDiagnostic);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tables, 1);
    layout->addLayout(buttons);

    connect(&reader_, &DiagnosticsReader::highPowerChanged, ImageHighPowerDiagnostic, qOverload<>(&QWidget::update));
    connect(&reader_, &DiagnosticsReader::lowPowerChanged, ImageLowPowerDiagnostic, qOverload<>(&QWidget::update));
    connect(&reader_, &DiagnosticsReader::cleared, this, &DiagnosticPage::showCleared);
    // Names shown in the tables follow the configuration.
    connect(&store_, &ConfigStore::nameChanged, this, [this](ConfigStore::Block block, int, const QString&) {
        if (block != ConfigStore::Block::Output) return;
        ImageHighPowerDiagnostic->update();
        ImageLowPowerDiagnostic->update();
    });
}

DiagnosticPage* DiagnosticPage::AddTo(QWidget& sheet, UnitSession& unit, const ConfigStore& store,
                                      UserPrompt& prompt) {
    auto* layout = new QVBoxLayout(&sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* page = new DiagnosticPage(unit, store, prompt, &sheet);
    layout->addWidget(page);
    return page;
}

QString DiagnosticPage::channelName(int channel) const {
    return QStringLiteral("%1: %2").arg(channel).arg(store_.output(channel).name);
}

std::vector<DiagTableCell> DiagnosticPage::highPowerRow(int row) const {
    std::vector<DiagTableCell> cells{{channelName(row + 1), false}};
    if (const auto& r = reader_.table().high[static_cast<std::size_t>(row)]) {
        cells.push_back(Cell(r->shortCircuit));
        cells.push_back(Cell(r->trip));
        cells.push_back({r->tripLevel, false});
        cells.push_back(Cell(r->lowCurrent));
    }
    return cells;
}

std::vector<DiagTableCell> DiagnosticPage::lowPowerRow(int row) const {
    std::vector<DiagTableCell> cells{{channelName(row + 1 + kHighPowerDiagRows), false}};
    if (const auto& r = reader_.table().low[static_cast<std::size_t>(row)]) cells.push_back(Cell(r->shortCircuit));
    return cells;
}

void DiagnosticPage::BtnClearDiagnosticClick() {
    if (reader_.Clear() == DiagnosticsReader::ClearResult::NotConnected)
        prompt_.ShowMessage(QString::fromLatin1(kNotConnectedText));
}

// Raised by an answer of the unit: a non-modal note, so the receive path
// never waits for a person to press OK.
void DiagnosticPage::showCleared() {
    if (!clearedNote_) {
        clearedNote_ = new QMessageBox(QMessageBox::Information, kProgramTitle,
                                       QString::fromLatin1(kDiagnosticClearedText), QMessageBox::Ok, this);
        clearedNote_->setObjectName(QStringLiteral("DiagnosticClearedNote"));
        clearedNote_->setWindowModality(Qt::NonModal);
    }
    clearedNote_->show();
    clearedNote_->raise();
}

} // namespace vm
