#pragma once
// "Runtime ERROR": the unit's error log and its three service commands, thin
// over ErrorLogLogic.
#include "tools/runtime_error/error_log_logic.h"
#include "tools/service_tools.h"

#include <QDialog>

class QPlainTextEdit;

namespace vm {

class TRunTimeErrorForm : public QDialog {
    Q_OBJECT
public:
    TRunTimeErrorForm(ServiceContext& context, QWidget* parent = nullptr);

    void FormActivate();
    ErrorLogLogic& logic() { return logic_; }
    QString text() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    ErrorLogLogic logic_;
    QPlainTextEdit* MemoErrorLog = nullptr;
};

} // namespace vm
