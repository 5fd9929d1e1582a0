#pragma once
// The main window: a sheet with the PostScript, PCL5 and About tabs and OK, Cancel and Help.

#include "app/CFXRAbout.h"
#include "pcl5/CFXRPCL5.h"
#include "postscript/CFXRPS.h"

#include <QDialog>

class QDialogButtonBox;
class QTabWidget;

namespace presswick {

class CFXRApp;

class CFXRSheet : public QDialog {
    Q_OBJECT
public:
    explicit CFXRSheet(CFXRApp& app, QWidget* parent = nullptr);
    ~CFXRSheet() override;

    QTabWidget* tabs() const { return tabs_; }
    QDialogButtonBox* buttons() const { return buttons_; }
    CFXRPS& postScriptPage() { return postScript_; }
    CFXRPCL5& pcl5Page() { return pcl5_; }
    CFXRAbout& aboutPage() { return about_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ActivatePage(int index);

    QTabWidget* tabs_;
    QDialogButtonBox* buttons_;
    bool firstPageActivated_ = false;
    // Constructed in tab order and destroyed in reverse.
    CFXRPS postScript_;
    CFXRPCL5 pcl5_;
    CFXRAbout about_;
};

}  // namespace presswick
