#pragma once
// "System setup": the unit's production data, read on activation and stored
// by "Upload", thin over SetupLogic.
#include "tools/service_tools.h"
#include "tools/setup/setup_logic.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vm {

class TSystemSetupForm : public QDialog {
    Q_OBJECT
public:
    TSystemSetupForm(ServiceContext& context, QWidget* parent = nullptr);

    void FormActivate();
    void BtnUploadClick();
    SetupLogic& logic() { return logic_; }
    ProductionTexts texts() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void show(const ProductionData& data);

    ServiceContext& context_;
    SetupLogic logic_;
    QLineEdit* SerialEdit = nullptr;
    QLineEdit* YearEdit = nullptr;
    QLineEdit* WeekEdit = nullptr;
    QLineEdit* EditHW_version = nullptr;
    QLabel* MaunUnitVersion = nullptr;
};

} // namespace vm
