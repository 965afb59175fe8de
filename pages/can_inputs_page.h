#pragma once
// The "CAN Inputs" page: the 32 CAN input rules, each shown from its
// CanInputRule record when picked in the list and edited straight in it, and
// the global "Enable CAN via Input" setting.
#include "pages/editor_page.h"

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QTabWidget;

namespace vm {

class ByteSelector;
struct CanInputRule;

class CanInputsPage : public EditorPage {
    Q_OBJECT
public:
    explicit CanInputsPage(PageContext& context, QWidget* parent = nullptr);
    void ShowStore() override;
    void RefreshNameLists() override;

    // Shows the selected rule (ListBoxCAN_INPUTClick).
    void ListBoxCAN_INPUTClick();
    // The selected rule, -1 for none.
    int selected() const;
    // Where the CAN monitor group goes.
    QWidget* monitorPlace() const { return canMonitorPlace_; }

protected:
    void ShowBlock(ConfigStore::Block block, int index) override;

private:
    QWidget* buildGeneral();
    QWidget* buildParameter();
    QWidget* buildAnalyse();
    QWidget* buildCanEnable();
    template <class Set> void writeRule(Set set);
    void showSettings();
    void pickByte(bool on, int cell);
    QString entryText(int index) const;

    QListWidget* ListBoxCAN_INPUT = nullptr;
    QGroupBox* GroupBoxCAN_Parameter = nullptr;
    QTabWidget* TabbedNotebookCANInput = nullptr;
    // ON row [0] and OFF row [1].
    std::array<QLineEdit*, 2> ids_{};
    std::array<QComboBox*, 2> operators_{};
    std::array<QLineEdit*, 2> values_{};
    std::array<QLabel*, 2> dimensionLabels_{};
    std::array<ByteSelector*, 2> pickers_{};
    QCheckBox* CheckBoxCAN_In_RowEnable = nullptr;
    QLineEdit* EditValueCAN_IN_RowByteIndex = nullptr;
    QLineEdit* EditValueCAN_IN_RowByteValue = nullptr;
    QRadioButton* RadioButton_Unsigned = nullptr;
    QRadioButton* RadioButton_Signed = nullptr;
    QLineEdit* EditValueCAN_IN_Dimension = nullptr;
    QLineEdit* EditValueCAN_IN_Multiplicator = nullptr;
    QLineEdit* EditValueCAN_IN_Offset = nullptr;
    QCheckBox* CheckBoxCanInputEnable = nullptr;
    QComboBox* ComboBoxInputTrigCAN_Input = nullptr;
    // The CAN monitor goes here.
    QWidget* canMonitorPlace_ = nullptr;
};

} // namespace vm
