#include "app/CFXRSheet.h"

#include "app/CFXRApp.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace presswick {

CFXRSheet::CFXRSheet(CFXRApp& app, QWidget* parent)
    : QDialog(parent),
      tabs_(new QTabWidget(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this)),
      postScript_(app),
      pcl5_(app) {
    setWindowTitle(QString::fromStdString(app.ProductName));
    for (PropertyPage* page : {static_cast<PropertyPage*>(&postScript_), static_cast<PropertyPage*>(&pcl5_),
                               static_cast<PropertyPage*>(&about_)})
        tabs_->addTab(page, page->caption());
    tabs_->setCurrentIndex(0);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons_);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // OK and Cancel both just close the sheet: nothing is checked or saved.
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(tabs_, &QTabWidget::currentChanged, this, &CFXRSheet::ActivatePage);
}

CFXRSheet::~CFXRSheet() {
    // The pages are members: take them out of the tabs before they go, without activating any.
    disconnect(tabs_, nullptr, this, nullptr);
    while (tabs_->count() > 0) tabs_->removeTab(0);
}

void CFXRSheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (firstPageActivated_) return;
    firstPageActivated_ = true;
    // Once the sheet is on screen, so that the first page's messages appear over it.
    QTimer::singleShot(0, this, [this] { ActivatePage(tabs_->currentIndex()); });
}

void CFXRSheet::ActivatePage(int index) {
    if (!firstPageActivated_) return;
    if (auto* page = qobject_cast<PropertyPage*>(tabs_->widget(index))) page->activate();
}

}  // namespace presswick
