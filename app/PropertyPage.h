#pragma once
// A page of the main sheet. Its window (the controls of its dialog template) is created on its
// first activation, which runs OnInitDialog; every activation then runs OnSetActive.

#include "app/DialogBuilder.h"

#include <QWidget>

namespace presswick {

class PropertyPage : public QWidget {
    Q_OBJECT
public:
    PropertyPage(int templateId, QString caption);

    const QString& caption() const { return caption_; }
    bool isCreated() const { return created_; }
    void activate();

    QWidget* control(int id) const { return controls_.value(id); }
    template <class Widget>
    Widget* control(int id) const { return qobject_cast<Widget*>(control(id)); }

protected:
    void setCaption(QString caption) { caption_ = std::move(caption); }
    virtual bool OnInitDialog() { return true; }
    virtual bool OnSetActive() { return true; }

private:
    const DialogTemplate& template_;
    QString caption_;
    DialogControls controls_;
    bool created_ = false;
};

}  // namespace presswick
