#include "forms/compare_form.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace vm {

TCompareForm::TCompareForm(const QString& fileName, const QStringList& lines, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CompareForm"));
    setWindowTitle(QStringLiteral("Compare with unit"));
    resize(640, 420);
    summary_ = lines.isEmpty()
                   ? QStringLiteral("The unit holds the configuration of %1.").arg(fileName)
                   : QStringLiteral("%1 values differ between the unit and %2 (unit -> file):").arg(lines.size()).arg(fileName);
    auto* label = new QLabel(summary_, this);
    label->setWordWrap(true);
    lines_ = new QPlainTextEdit(this);
    lines_->setObjectName(QStringLiteral("MemoDifferences"));
    lines_->setReadOnly(true);
    lines_->setLineWrapMode(QPlainTextEdit::NoWrap);
    lines_->setPlainText(lines.join(QLatin1Char('\n')));
    lines_->setVisible(!lines.isEmpty());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(lines_, 1);
    layout->addWidget(buttons);
}

QString TCompareForm::summary() const { return summary_; }

QString TCompareForm::linesText() const { return lines_->toPlainText(); }

} // namespace vm
