#pragma once
// The "Low Battery" page: the two voltage thresholds and up to 12 outputs
// switched off on low supply.
#include "pages/editor_page.h"

class QLineEdit;

namespace vm {

class OutputCheckList;

class LowBatteryPage : public EditorPage {
    Q_OBJECT
public:
    explicit LowBatteryPage(PageContext& context, QWidget* parent = nullptr);
    void ShowStore() override;

protected:
    void ShowBlock(ConfigStore::Block block, int index) override;

private:
    void CheckListBoxLowBattClickCheck(int row, bool checked);

    QLineEdit* EditLowVoltageTrig = nullptr;
    QLineEdit* EditUpperVoltageTrig = nullptr;
    OutputCheckList* CheckListBoxLowBatt = nullptr;
};

} // namespace vm
