#pragma once
// The "Virtual Inputs" page: the 15 virtual inputs, each shown from its
// VirtualInputDef record when picked in the list and edited straight in it.
#include "pages/editor_page.h"

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;

namespace vm {

struct VirtualInputDef;

class VirtualInputsPage : public EditorPage {
    Q_OBJECT
public:
    explicit VirtualInputsPage(PageContext& context, QWidget* parent = nullptr);
    void ShowStore() override;
    void RefreshNameLists() override;

    // Shows the selected record (ListBoxVIRTUAL_INPUTClick).
    void ListBoxVIRTUAL_INPUTClick();
    // The selected record, -1 for none.
    int selected() const;

protected:
    void ShowBlock(ConfigStore::Block block, int index) override;

private:
    template <class Set> void writeVirtual(Set set);
    QString entryText(int index) const;

    QListWidget* ListBoxVIRTUAL_INPUT = nullptr;
    QGroupBox* GroupBoxVirtuelParameter = nullptr;
    std::array<QComboBox*, 3> terms_{};
    std::array<QComboBox*, 2> operators_{};
    std::array<QCheckBox*, 3> nots_{};
    std::array<QLineEdit*, 3> delays_{};
};

} // namespace vm
