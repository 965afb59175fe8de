#include "pages/main_pages.h"

#include <QTabWidget>
#include <QWidget>

namespace vm {

void AddMainPages(QTabWidget& notebook, const MainPageFiller& fill) {
    for (std::size_t i = 0; i < kMainPages.size(); ++i) {
        auto* page = new QWidget(&notebook);
        page->setObjectName(QString::fromLatin1(kMainPages[i].objectName));
        notebook.addTab(page, QString::fromLatin1(kMainPages[i].caption));
        if (fill) fill(i, *page);
    }
}

} // namespace vm
