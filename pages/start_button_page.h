#pragma once
// The "Start Button" page: the special start button's trigger and up to 16
// outputs it acts on.
#include "pages/editor_page.h"

class QComboBox;

namespace vm {

class OutputCheckList;

class StartButtonPage : public EditorPage {
    Q_OBJECT
public:
    explicit StartButtonPage(PageContext& context, QWidget* parent = nullptr);
    void ShowStore() override;

protected:
    void ShowBlock(ConfigStore::Block block, int index) override;

private:
    void CheckListBoxStartButtonClickCheck(int row, bool checked);

    QComboBox* ComboBoxInputTrigStartButton = nullptr;
    OutputCheckList* CheckListBoxStartButton = nullptr;
};

} // namespace vm
