#pragma once
// "Ping": single and timed pings with their log and error count, thin over PingLogic.
#include "tools/ping/ping_logic.h"
#include "tools/service_tools.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vm {

class TPingForm : public QDialog {
    Q_OBJECT
public:
    TPingForm(ServiceContext& context, QWidget* parent = nullptr);

    void BtnPingClick();
    void BtnTimerClick();
    void FormClose();
    PingLogic& logic() { return logic_; }

protected:
    void done(int result) override;

private:
    ServiceContext& context_;
    PingLogic logic_;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* BtnPing = nullptr;
    QPushButton* BtnTimer = nullptr;
    QLineEdit* TimeEdit = nullptr;
    QLabel* LabelErrorCount = nullptr;
};

} // namespace vm
