#include "app/CFXRApp.h"

#include "app/CFXRSheet.h"
#include "app/ComboBoxList.h"
#include "app/System.h"
#include "res/Controls.h"
#include "res/Texts.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

namespace presswick {
void CFXRApp::LoadRussianQtTexts() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

CFXRApp::CFXRApp(Spooler& spooler, System& system) : spooler(spooler), system(system) {}

bool CFXRApp::InitInstance() {
    LoadRussianQtTexts();

    const std::unique_ptr<SingleInstanceGuard> guard =
        system.createSingleInstanceGuard(std::string(texts::InstanceMutexName));
    if (guard->anotherCopyRuns()) {
        MessageBox(nullptr, {std::string(texts::AlreadyRunning), ApplicationTitle(),
                             MessageIcon::Exclamation, MessageButtons::Ok});
        return false;
    }

    ProductName = texts::ProductName;
    Pcl5FileTypeChoice = ids::Pcl5Font;
    Pcl5ActionChoice = ids::Pcl5Download;
    Pcl5LocationChoice = ids::Pcl5Disk;

    {
        CFXRSheet sheet(*this);
        MainWindow = &sheet;
        sheet.exec();
        MainWindow = nullptr;
    }
    return false;
}

bool CFXRApp::EnumerateSupportedPrinters(QComboBox* printerBox, std::string previousChoice) {
    ComboBoxList box(printerBox);
    OwnedMessageBoxes unowned(messageBoxHandler, nullptr);
    return presswick::EnumerateSupportedPrinters(spooler, box, SupportedPrinters, previousChoice, unowned);
}

MessageAnswer CFXRApp::MessageBox(QWidget* owner, const MessageBoxSpec& box) const {
    return messageBoxHandler(owner, box);
}

std::string CFXRApp::ApplicationTitle() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
}

}  // namespace presswick
