#pragma once
// "Calibration": the 18 high-power channels polled in turn, new ratios
// computed from measured currents and stored, thin over CalibrationLogic.
#include "tools/calibration/calibration_logic.h"
#include "tools/service_tools.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace vm {

class TCalibrationForm : public QDialog {
    Q_OBJECT
public:
    TCalibrationForm(ServiceContext& context, QWidget* parent = nullptr);

    void FormCreate();
    void BtnNewRationClick(int channel); // Btn_NewRation_1Click .. Btn_NewRation_18Click
    void BtnStoreRationClick();
    void BtnUpload_AD_OffsetClick() { logic_.StoreOffsets(); }
    void CheckBoxClick();
    CalibrationLogic& logic() { return logic_; }

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    struct Row {
        QLabel* amps = nullptr;
        QLabel* ratio = nullptr;
        QLabel* ad = nullptr;
        QLineEdit* current = nullptr;
        QLabel* offset = nullptr;
        QLabel* newRatio = nullptr;
    };
    void showChannel(int channel);

    ServiceContext& context_;
    CalibrationLogic logic_;
    std::array<Row, kCalibrationChannels + 1> rows_{};
    QCheckBox* CheckBoxOffset = nullptr;
    QCheckBox* CheckBoxRation = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    bool opened_ = false;
};

} // namespace vm
