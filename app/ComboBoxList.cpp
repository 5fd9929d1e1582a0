#include "app/ComboBoxList.h"

#include <QComboBox>

namespace presswick {

int ComboAddString(QComboBox* box, const QString& entry) {
    int position = box->count();
    if (box->property("sorted").toBool()) {
        position = 0;
        while (position < box->count() &&
               QString::compare(box->itemText(position), entry, Qt::CaseInsensitive) <= 0)
            ++position;
    }
    box->insertItem(position, entry);
    return position;
}

int ComboFindStringExact(const QComboBox* box, const QString& entry) {
    for (int position = 0; position < box->count(); ++position)
        if (QString::compare(box->itemText(position), entry, Qt::CaseInsensitive) == 0) return position;
    return -1;
}

void ComboBoxList::resetContent() { box_->clear(); }

int ComboBoxList::addString(const std::string& entry) {
    return ComboAddString(box_, QString::fromStdString(entry));
}

int ComboBoxList::findStringExact(const std::string& entry) const {
    return ComboFindStringExact(box_, QString::fromStdString(entry));
}

void ComboBoxList::setCurSel(int position) { box_->setCurrentIndex(position); }

}  // namespace presswick
