#pragma once
// Turns a dialog template of res/ into Qt widgets, placed by dialog units measured on the
// template's font, each findable by its control id.

#include "res/DialogTemplates.h"

#include <QFont>
#include <QHash>
#include <QRect>

class QWidget;

namespace presswick {

// Dialog base units of a font, as Windows derives them: the average width of the 52 Latin
// letters and the font's height; a dialog unit is a quarter of the one, an eighth of the other.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    QRect toPixels(int x, int y, int width, int height) const;
    QSize toPixels(int width, int height) const;

private:
    int baseX_;
    int baseY_;
};

QFont DialogFont(const DialogTemplate& dialog);

using DialogControls = QHash<int, QWidget*>;

// Creates the template's controls as children of `parent` (in template order, which sets the
// tab order and the radio groups) and gives `parent` the template's size and font.
DialogControls BuildDialog(const DialogTemplate& dialog, QWidget* parent);

}  // namespace presswick
