#pragma once
// The "CAN Export" page: four messages the unit sends on the CAN bus, each on
// its own sheet of TabbedNotebook2. The controls show the store's export
// blocks and write every edit straight back.
#include "pages/editor_page.h"

#include <array>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTabWidget;

namespace vm {

class CanExportPage : public EditorPage {
    Q_OBJECT
public:
    explicit CanExportPage(PageContext& context, QWidget* parent = nullptr);
    void ShowStore() override;

protected:
    void ShowBlock(ConfigStore::Block block, int index) override;

private:
    struct Sheet {
        QCheckBox* enable = nullptr;
        QLineEdit* id = nullptr;
        QLineEdit* refresh = nullptr;
        std::vector<QComboBox*> boxes;
    };
    QWidget* buildSheet(int n);
    QWidget* buildHead(int n, QWidget* parent);
    void buildExport1(QWidget* sheet);
    void buildBits(int n, QWidget* sheet);
    QComboBox* dataBox(int n, int boxIndex, const QString& objectName, QWidget* parent);
    template <class Set> void writeExport(int n, Set set);
    void showExport(int n);
    void showCounterRows(const QString& rowCount);

    QTabWidget* TabbedNotebook2 = nullptr;
    QLineEdit* EditCAN_EXPORT_1_RowCounter = nullptr;
    std::array<Sheet, 4> sheets_{};
};

} // namespace vm
