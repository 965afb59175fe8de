#include "pages/main_pages.h"

#include <QTabWidget>
#include <QWidget>

namespace vm {

void AddMainPages(QTabWidget& notebook) {
    for (const MainPageEntry& entry : kMainPages) {
        auto* page = new QWidget(&notebook);
        page->setObjectName(QString::fromLatin1(entry.objectName));
        notebook.addTab(page, QString::fromLatin1(entry.caption));
    }
}

} // namespace vm
