#pragma once
// The "Low Current" page: the low-current diagnostic threshold and timer of
// the high-power channels 1..18.
#include "pages/editor_page.h"
#include "pages/row_builder.h"

namespace vm {

class LowCurrentPage : public EditorPage {
    Q_OBJECT
public:
    explicit LowCurrentPage(PageContext& context, QWidget* parent = nullptr);
    void ShowStore() override;
    void ShowRow(int channel);

protected:
    void ShowBlock(ConfigStore::Block block, int index) override;

private:
    Cells cells_;
};

} // namespace vm
