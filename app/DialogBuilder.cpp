#include "app/DialogBuilder.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QWidget>

namespace presswick {

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = (letters / 26 + 1) / 2;
    baseY_ = metrics.height();
}

QRect DialogUnits::toPixels(int x, int y, int width, int height) const {
    return {x * baseX_ / 4, y * baseY_ / 8, width * baseX_ / 4, height * baseY_ / 8};
}

QSize DialogUnits::toPixels(int width, int height) const {
    return {width * baseX_ / 4, height * baseY_ / 8};
}

QFont DialogFont(const DialogTemplate& dialog) {
    return QFont(QString::fromUtf8(dialog.fontName.data(), dialog.fontName.size()), dialog.fontPoints);
}

namespace {

QWidget* CreateControl(const ControlTemplate& control, QWidget* parent) {
    const QString text = QString::fromUtf8(control.text.data(), control.text.size());
    switch (control.kind) {
    case ControlKind::ComboBox: {
        auto* box = new QComboBox(parent);
        box->setProperty("sorted", (control.style & style::Sorted) != 0);
        return box;
    }
    case ControlKind::GroupBox:
        return new QGroupBox(text, parent);
    case ControlKind::RadioButton:
        return new QRadioButton(text, parent);
    case ControlKind::Static: {
        auto* label = new QLabel(text, parent);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | ((control.style & style::VCenter) ? Qt::AlignVCenter : Qt::AlignTop));
        return label;
    }
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        auto* button = new QPushButton(text, parent);
        button->setAutoDefault(false);
        button->setDefault(control.kind == ControlKind::DefPushButton);
        return button;
    }
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(text, parent);
        edit->setFrame((control.style & style::Border) != 0);
        if (control.style & style::Number)
            edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
        return edit;
    }
    case ControlKind::ProgressBar: {
        auto* bar = new QProgressBar(parent);
        bar->setTextVisible(false);
        return bar;
    }
    case ControlKind::Picture: {
        auto* picture = new QLabel(parent);
        picture->setAlignment(Qt::AlignCenter);
        picture->setAttribute(Qt::WA_TranslucentBackground);
        return picture;
    }
    }
    return nullptr;
}

}  // namespace

DialogControls BuildDialog(const DialogTemplate& dialog, QWidget* parent) {
    const QFont font = DialogFont(dialog);
    const DialogUnits units(font);
    parent->setFont(font);
    parent->setFixedSize(units.toPixels(dialog.width, dialog.height));

    DialogControls controls;
    QList<QGroupBox*> groupBoxes;
    QButtonGroup* radioGroup = nullptr;
    QWidget* previousTabStop = nullptr;

    for (const ControlTemplate& control : dialog.controls) {
        QWidget* widget = CreateControl(control, parent);
        widget->setObjectName(QString::number(control.id));
        widget->setProperty("controlId", control.id);
        QRect place = units.toPixels(control.x, control.y, control.width, control.height);
        if (control.kind == ControlKind::ComboBox)  // the height is the dropped list's; the box keeps its own
            place.setHeight(widget->sizeHint().height());
        widget->setGeometry(place);
        widget->setEnabled(!(control.style & style::Disabled));
        widget->setHidden((control.style & style::Hidden) != 0);

        // A group runs from a control with the group style to the next one.
        if (control.style & style::Group) radioGroup = nullptr;
        if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
            if (!radioGroup) radioGroup = new QButtonGroup(parent);
            radioGroup->addButton(radio, control.id);
        }

        if (control.style & style::TabStop) {
            widget->setFocusPolicy(Qt::StrongFocus);
            if (previousTabStop) QWidget::setTabOrder(previousTabStop, widget);
            previousTabStop = widget;
        } else if (widget->focusPolicy() != Qt::NoFocus) {
            widget->setFocusPolicy(Qt::ClickFocus);
        }

        if (auto* box = qobject_cast<QGroupBox*>(widget)) groupBoxes.append(box);
        controls.insert(control.id, widget);
    }
    // Group boxes are frames drawn behind the controls they surround.
    for (QGroupBox* box : groupBoxes) box->lower();
    return controls;
}

}  // namespace presswick
