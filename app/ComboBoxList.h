#pragma once
// A QComboBox used as a Windows drop-down list: a sorted box inserts each entry at its place
// (without regard to case) and reports that position.

#include "app/SupportedPrinterList.h"

class QComboBox;
class QString;

namespace presswick {

int ComboAddString(QComboBox* box, const QString& entry);
int ComboFindStringExact(const QComboBox* box, const QString& entry);

class ComboBoxList : public PrinterListBox {
public:
    explicit ComboBoxList(QComboBox* box) : box_(box) {}
    void resetContent() override;
    int addString(const std::string& entry) override;
    int findStringExact(const std::string& entry) const override;
    void setCurSel(int position) override;

private:
    QComboBox* box_;
};

}  // namespace presswick
