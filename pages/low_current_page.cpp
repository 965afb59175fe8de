#include "pages/low_current_page.h"

#include "pages/page_binding.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vm {

namespace {

enum Col { Row, Current, Timer };

const Column kColumns[] = {
    {"", "", Cell::Label, kHighPowerCount, 0},
    {"Min. [A]", "EditLowCurrentCH%1", Cell::Text, kHighPowerCount, 60},
    {"Timer[sec]", "EditLowCurrentTimeCH%1", Cell::Text, kHighPowerCount, 60},
};

struct NumberColumn {
    Col column;
    rules::NumberEdit rule;
    int maxLength;
    QString OutputControls::*field;
};
const NumberColumn kNumbers[] = {
    {Current, rules::NumberEdit::LowCurrent, 4, &OutputControls::lowCurrent},
    {Timer, rules::NumberEdit::LowCurrentTime, 5, &OutputControls::lowCurrentTime},
};

} // namespace

LowCurrentPage::LowCurrentPage(PageContext& context, QWidget* parent) : EditorPage(context, parent) {
    setObjectName(QStringLiteral("LowCurrentPage"));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Low Current diagnostic setup"), this);
    auto* grid = new QGridLayout(group);
    grid->setVerticalSpacing(2);
    cells_ = BuildRows(*grid, kColumns, kHighPowerCount, 0, group);
    for (int ch = 1; ch <= kHighPowerCount; ++ch) {
        CellAs<QLabel>(cells_, Row, ch)->setText(QStringLiteral("High power %1").arg(ch));
        for (const NumberColumn& n : kNumbers)
            BindNumber(CellAs<QLineEdit>(cells_, n.column, ch), n.rule, n.maxLength,
                       [this, ch, field = n.field](const QString& text) {
                           const WritingGuard guard(writing_);
                           OutputControls o = store().output(ch);
                           o.*field = text;
                           store().setOutput(ch, o);
                       });
    }
    grid->setColumnStretch(3, 1);
    layout->addWidget(group);
    layout->addStretch();
    ShowStore();
}

void LowCurrentPage::ShowRow(int channel) {
    if (channel < 1 || channel > kHighPowerCount) return;
    const OutputControls o = store().output(channel);
    for (const NumberColumn& n : kNumbers)
        ShowText(CellAs<QLineEdit>(cells_, n.column, channel), o.*n.field);
}

void LowCurrentPage::ShowStore() {
    for (int ch = 1; ch <= kHighPowerCount; ++ch)
        ShowRow(ch);
}

void LowCurrentPage::ShowBlock(ConfigStore::Block block, int index) {
    if (block == ConfigStore::Block::Output) ShowRow(index);
}

} // namespace vm
