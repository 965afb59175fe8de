#pragma once
// The "Flash" page: the five flash functions, each shown from its FlashDef
// record when picked in the list and edited straight in that record.
#include "pages/editor_page.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;

namespace vm {

struct FlashDef;
class OutputCheckList;

class FlashPage : public EditorPage {
    Q_OBJECT
public:
    explicit FlashPage(PageContext& context, QWidget* parent = nullptr);
    void ShowStore() override;
    void RefreshNameLists() override;

    // Shows the selected record (ListBoxFlashNoClick).
    void ListBoxFlashNoClick();
    // The selected record, -1 for none.
    int selected() const;

protected:
    void ShowBlock(ConfigStore::Block block, int index) override;

private:
    template <class Set> void writeFlash(Set set);
    void CheckListBoxFlashOutputListClickCheck(int row, bool checked);
    QString entryText(int index) const;

    QListWidget* ListBoxFlashNo = nullptr;
    QGroupBox* GroupBoxFlash = nullptr;
    QCheckBox* CheckBoxFlash = nullptr;
    QComboBox* ComboBoxFlashInputTrig = nullptr;
    QLineEdit* EditFlashTime = nullptr;
    QLineEdit* EditFlashDuration = nullptr;
    QLineEdit* EditFlashName = nullptr;
    OutputCheckList* CheckListBoxFlashOutputList = nullptr;
};

} // namespace vm
