#pragma once
// The "Inputs" page: the 11 wired inputs with name and mode, "Enable PWM",
// the names of the 15 virtual inputs and 32 CAN inputs, and the unit's name.
// These names are the only place the sources are named.
#include "pages/editor_page.h"
#include "pages/row_builder.h"

class QCheckBox;
class QLineEdit;

namespace vm {

class InputsPage : public EditorPage {
    Q_OBJECT
public:
    explicit InputsPage(PageContext& context, QWidget* parent = nullptr);
    void ShowStore() override;

protected:
    void ShowBlock(ConfigStore::Block block, int index) override;

private:
    void showInput(int n);

    Cells inputs_;
    Cells virtuals_;
    Cells cans_;
    QCheckBox* CheckBoxInputPWMEnable = nullptr;
    QLineEdit* EditBoxName = nullptr;
};

} // namespace vm
