#pragma once
// The "Outputs" page: one row per output channel 1..34 with name, current
// limit and peak time (1..18), trigger and level, delay, ON timer and the
// input and output pin captions; the two "Enable PWM" boxes.
#include "pages/editor_page.h"
#include "pages/row_builder.h"

class QCheckBox;

namespace vm {

class OutputsPage : public EditorPage {
    Q_OBJECT
public:
    explicit OutputsPage(PageContext& context, QWidget* parent = nullptr);

    void ShowStore() override;
    void RefreshNameLists() override;
    void ShowRow(int channel);

    // The trigger change of one row, as a user's pick runs it (ComboBoxInputTrigCHnChange).
    void TriggerChanged(int channel, int index);

protected:
    void ShowBlock(ConfigStore::Block block, int index) override;

private:
    template <class Set> void writeOutput(int channel, Set set);
    void showTriggerView(int channel, int trigger, int level);
    void showPwm();

    Cells cells_;
    QCheckBox* CheckBoxPWM_enable1 = nullptr;
    QCheckBox* CheckBoxPWM_enable2 = nullptr;
};

} // namespace vm
