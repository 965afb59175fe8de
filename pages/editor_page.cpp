#include "pages/editor_page.h"

#include "session/unit_session.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace vm {

EditorPage::EditorPage(PageContext& context, QWidget* parent) : QWidget(parent), context_(context) {
    connect(&context_.store, &ConfigStore::changed, this, [this](ConfigStore::Block block, int index) {
        // The page's own write-back is a user's edit; anything else is shown.
        if (writing_) Q_EMIT edited();
        else ShowBlock(block, index);
    });
}

void EditorPage::ShowBlock(ConfigStore::Block, int) { ShowStore(); }

void EditorPage::NameEdited() {
    if (!context_.unit.state().transferInProgress) context_.unit.MarkNamesDirty();
}

QWidget* EditorPage::TransferButtons(const std::array<const char*, 3>& objectNames) {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    const char* captions[3] = {"Read", "Upload", "Default settings"};
    void (EditorPage::*requests[3])() = {&EditorPage::readRequested, &EditorPage::uploadRequested,
                                        &EditorPage::defaultRequested};
    for (int i = 0; i < 3; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(captions[i]), box);
        button->setObjectName(QString::fromLatin1(objectNames[static_cast<std::size_t>(i)]));
        connect(button, &QPushButton::clicked, this, requests[i]);
        row->addWidget(button);
    }
    row->addStretch();
    return box;
}

} // namespace vm
