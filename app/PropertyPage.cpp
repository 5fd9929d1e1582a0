#include "app/PropertyPage.h"

namespace presswick {

PropertyPage::PropertyPage(int templateId, QString caption)
    : template_(*FindDialogTemplate(templateId)), caption_(std::move(caption)) {
    // The sheet sizes its tabs by the pages before any page window exists.
    const QFont font = DialogFont(template_);
    setFont(font);
    setFixedSize(DialogUnits(font).toPixels(template_.width, template_.height));
}

void PropertyPage::activate() {
    if (!created_) {
        controls_ = BuildDialog(template_, this);
        created_ = true;
        OnInitDialog();
    }
    OnSetActive();
}

}  // namespace presswick
