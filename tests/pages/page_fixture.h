#pragma once
// Every configuration page over one store, with the user's ways in: typing
// through the validator, picking from a box, clicking a check box.
#include "pages/editor_pages.h"
#include "pages/main_pages.h"
#include "session/unit_session.h"
#include "tests/support/recording_link.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace vm::testing {

class PageFixture : public ::testing::Test {
protected:
    PageFixture() {
        QObject::connect(&unit, &UnitSession::refreshNameLists, pages.get(), &EditorPages::RefreshNameLists);
        for (std::size_t i = 0; i < kMainPages.size(); ++i) {
            sheets.push_back(std::make_unique<QWidget>());
            pages->AddTo(i, *sheets.back());
        }
    }
    template <class W> W* get(const QString& name) {
        for (const auto& sheet : sheets)
            if (auto* w = sheet->findChild<W*>(name)) return w;
        ADD_FAILURE() << "no " << name.toStdString();
        return nullptr;
    }
    QLineEdit* edit(const QString& name) { return get<QLineEdit>(name); }
    QComboBox* box(const QString& name) { return get<QComboBox>(name); }
    void type(const QString& name, const QString& text) {
        QLineEdit* e = edit(name);
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, text);
    }
    // Ends the editing as leaving the edit does.
    void finish(const QString& name) { Q_EMIT edit(name)->editingFinished(); }
    void pick(const QString& name, int index) {
        QComboBox* b = box(name);
        b->setCurrentIndex(index);
        Q_EMIT b->activated(index);
    }
    void click(const QString& name) { get<QCheckBox>(name)->click(); }
    // The keep-alive tick after names changed.
    void tick() {
        unit.MarkNamesDirty();
        unit.KeepAliveTick();
    }

    RecordingLink link;
    UnitSession unit{link, nullptr};
    ConfigStore store;
    std::unique_ptr<EditorPages> pages = std::make_unique<EditorPages>(store, unit);
    std::vector<std::unique_ptr<QWidget>> sheets;
};

} // namespace vm::testing
