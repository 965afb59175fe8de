#pragma once
// The differences between the unit's configuration and a file, one line each.
#include <QDialog>
#include <QStringList>

class QPlainTextEdit;

namespace vm {

class TCompareForm : public QDialog {
    Q_OBJECT
public:
    TCompareForm(const QString& fileName, const QStringList& lines, QWidget* parent = nullptr);
    QString summary() const;
    QString linesText() const;

private:
    QString summary_;
    QPlainTextEdit* lines_ = nullptr;
};

} // namespace vm
