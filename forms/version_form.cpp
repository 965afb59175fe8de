#include "forms/version_form.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace vm {

TVersionForm::TVersionForm(QWidget* parent) : TVersionForm(std::make_unique<VersionCheck>(), parent) {}

TVersionForm::TVersionForm(std::unique_ptr<VersionCheck> owned, QWidget* parent)
    : QDialog(parent), owned_(std::move(owned)), check_(*owned_) {
    build();
}

TVersionForm::TVersionForm(VersionCheck& check, QWidget* parent) : QDialog(parent), check_(check) { build(); }

TVersionForm::~TVersionForm() = default;

void TVersionForm::build() {
    setObjectName(QStringLiteral("VersionForm"));
    setWindowTitle(QStringLiteral("XRT Version"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Version "), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("Status:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    resize(260, 90);

    connect(&check_, &VersionCheck::versionReceived, Label1, &QLabel::setText);
    connect(&check_, &VersionCheck::finished, this, &QDialog::accept);
    FormCreate();
}

void TVersionForm::reject() {
    if (check_.isFinished()) QDialog::reject();
}

void TVersionForm::closeEvent(QCloseEvent* event) {
    if (check_.isFinished()) {
        QDialog::closeEvent(event);
    } else {
        event->ignore();
    }
}

} // namespace vm
