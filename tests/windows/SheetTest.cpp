// The main sheet, its pages' printer boxes and the single-instance guard, offscreen.

#include "app/CFXRApp.h"
#include "app/CFXRSheet.h"
#include "platform/PosixSystem.h"
#include "res/Texts.h"
#include "transport/Spooler.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

using namespace presswick;

namespace {

class ListingSpooler : public Spooler {
public:
    PrinterList listLocalPrinters() override { return list; }
    std::unique_ptr<SpoolerPrinter> openPrinter(const std::string&) override { return nullptr; }
    PrinterList list;
};

struct ShownBox {
    QWidget* owner;
    MessageBoxSpec box;
};

const std::string ReadmeWarning(texts::NoSupportedDriver);

bool AnotherCopyRuns() {
    return PosixSystem().createSingleInstanceGuard(std::string(texts::InstanceMutexName))->anotherCopyRuns();
}

bool WaitFor(const std::function<bool()>& condition, int milliseconds = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > milliseconds) return false;
        QTest::qWait(20);
    }
    return true;
}

}  // namespace

class SheetTest : public QObject {
    Q_OBJECT

    ListingSpooler spooler;
    PosixSystem system;
    std::unique_ptr<CFXRApp> app;
    std::vector<ShownBox> shown;

    void chooseOnPage(QComboBox* box, const QString& printer) {
        const int index = box->findText(printer);
        QVERIFY(index >= 0);
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    int readmeWarningsOwnedBy(QWidget* owner) const {
        return static_cast<int>(std::count_if(shown.begin(), shown.end(), [&](const ShownBox& s) {
            return s.owner == owner && s.box == MessageBoxSpec{ReadmeWarning, "Presswick", MessageIcon::Warning,
                                                               MessageButtons::Ok};
        }));
    }
    // Shows the sheet as InitInstance does and lets its first page open.
    std::unique_ptr<CFXRSheet> openSheet() {
        app->ProductName = "Presswick";
        auto sheet = std::make_unique<CFXRSheet>(*app);
        sheet->show();
        QCoreApplication::processEvents();
        return sheet;
    }

private slots:
    void init() {
        spooler.list = {};
        shown.clear();
        app = std::make_unique<CFXRApp>(spooler, system);
        app->messageBoxHandler = [this](QWidget* owner, const MessageBoxSpec& box) {
            shown.push_back({owner, box});
            return MessageAnswer::Ok;
        };
        CFXRApp::LoadRussianQtTexts();
    }

    void opensOnPostScriptWithThreeTabsAndNoApply() {
        auto sheet = openSheet();
        QCOMPARE(sheet->windowTitle(), QString("Presswick"));
        QTabWidget* tabs = sheet->tabs();
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(0), QString("PostScript"));
        QCOMPARE(tabs->tabText(1), QString("PCL5"));
        QCOMPARE(tabs->tabText(2), QString("О программе"));
        QCOMPARE(tabs->currentIndex(), 0);
        QVERIFY(sheet->postScriptPage().isCreated());
        QVERIFY(!sheet->pcl5Page().isCreated());

        QDialogButtonBox* buttons = sheet->buttons();
        QCOMPARE(buttons->buttons().size(), 3);
        QVERIFY(buttons->button(QDialogButtonBox::Ok));
        QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QString("Отмена"));
        QCOMPARE(buttons->button(QDialogButtonBox::Help)->text(), QString("Справка"));
        QVERIFY(!buttons->button(QDialogButtonBox::Apply));
    }

    void warnsTwiceOnAFirstActivationWithoutSupportedPrinter() {
        spooler.list.printers = {{"Laser", "Generic PCL Laser"}};
        auto sheet = openSheet();
        QCOMPARE(readmeWarningsOwnedBy(&sheet->postScriptPage()), 2);
        sheet->tabs()->setCurrentIndex(1);
        QCOMPARE(readmeWarningsOwnedBy(&sheet->pcl5Page()), 2);
        sheet->tabs()->setCurrentIndex(2);
        sheet->tabs()->setCurrentIndex(0);
        QCOMPARE(readmeWarningsOwnedBy(&sheet->postScriptPage()), 3);
        sheet->tabs()->setCurrentIndex(1);
        QCOMPARE(readmeWarningsOwnedBy(&sheet->pcl5Page()), 3);
        QCOMPARE(static_cast<int>(shown.size()), 6);
        QVERIFY(app->CurrentPrinterName.empty());
        QCOMPARE(sheet->postScriptPage().printerList()->count(), 0);
    }

    void closingTheSheetActivatesNoPage() {
        auto sheet = openSheet();
        QCOMPARE(readmeWarningsOwnedBy(&sheet->postScriptPage()), 2);
        sheet.reset();
        QCOMPARE(static_cast<int>(shown.size()), 2);
    }

    void aPrinterChosenOnOnePageIsPreselectedOnTheOther() {
        spooler.list.printers = {{"Office-B", "Corvan 4400 PS"}, {"Laser", "HP"}, {"Office-A", "Corvan 4400 PS"}};
        auto sheet = openSheet();
        QComboBox* psBox = sheet->postScriptPage().printerList();
        QCOMPARE(psBox->count(), 2);
        QCOMPARE(psBox->itemText(0), QString("Office-A"));
        QCOMPARE(psBox->currentText(), QString("Office-A"));  // the one the spooler returned last
        QCOMPARE(app->CurrentPrinterName, std::string("Office-A"));

        chooseOnPage(psBox, "Office-B");
        QCOMPARE(app->CurrentPrinterName, std::string("Office-B"));
        sheet->tabs()->setCurrentIndex(1);
        QComboBox* pclBox = sheet->pcl5Page().printerList();
        QCOMPARE(pclBox->currentText(), QString("Office-B"));

        chooseOnPage(pclBox, "Office-A");
        sheet->tabs()->setCurrentIndex(0);
        QCOMPARE(psBox->currentText(), QString("Office-A"));
        QCOMPARE(app->SupportedPrinters, (std::vector<std::string>{"Office-B", "Office-A"}));
        QVERIFY(shown.empty());
    }

    void aRemovedPrinterGivesWayAndAllRemovedKeepsTheName() {
        spooler.list.printers = {{"Office-B", "Corvan 4400 PS"}, {"Office-A", "Corvan 4400 PS"}};
        auto sheet = openSheet();
        chooseOnPage(sheet->postScriptPage().printerList(), "Office-B");

        spooler.list.printers = {{"Office-C", "Corvan 4400 PS"}, {"Office-A", "Corvan 4400 PS"}};
        sheet->tabs()->setCurrentIndex(1);
        QCOMPARE(app->CurrentPrinterName, std::string("Office-A"));

        spooler.list.printers = {};
        sheet->tabs()->setCurrentIndex(0);
        QCOMPARE(sheet->postScriptPage().printerList()->count(), 0);
        QCOMPARE(readmeWarningsOwnedBy(&sheet->postScriptPage()), 1);
        QCOMPARE(app->CurrentPrinterName, std::string("Office-A"));
    }

    void reportsAFailedEnumerationWithoutOwnerAndWithoutReadmeWarning() {
        spooler.list = {false, {}, "Unable to connect to server"};
        auto sheet = openSheet();
        QCOMPARE(static_cast<int>(shown.size()), 2);  // initialisation and activation
        for (const ShownBox& s : shown) {
            QCOMPARE(s.owner, nullptr);
            QCOMPARE(s.box, (MessageBoxSpec{"Could not enum Printer info:: Unable to connect to server", "Presswick",
                                            MessageIcon::Warning, MessageButtons::Ok}));
        }
    }

    void thePcl5ChoicesResetOnceWhenThePageIsFirstCreated() {
        spooler.list.printers = {{"Office", "Corvan 4400 PS"}};
        app->Pcl5FileTypeChoice = 1058;
        app->Pcl5ActionChoice = 1069;
        app->Pcl5LocationChoice = 1073;
        auto sheet = openSheet();
        sheet->tabs()->setCurrentIndex(1);
        QCOMPARE(app->Pcl5FileTypeChoice, std::uint16_t(1056));
        QCOMPARE(app->Pcl5ActionChoice, std::uint16_t(1068));
        QCOMPARE(app->Pcl5LocationChoice, std::uint16_t(1072));

        app->Pcl5FileTypeChoice = 1059;
        sheet->tabs()->setCurrentIndex(0);
        sheet->tabs()->setCurrentIndex(1);
        QCOMPARE(app->Pcl5FileTypeChoice, std::uint16_t(1059));
    }

    void okAndCancelBothEndTheRun_data() {
        QTest::addColumn<int>("button");
        QTest::newRow("OK") << int(QDialogButtonBox::Ok);
        QTest::newRow("Cancel") << int(QDialogButtonBox::Cancel);
    }
    void okAndCancelBothEndTheRun() {
        QFETCH(int, button);
        spooler.list.printers = {{"Office", "Corvan 4400 PS"}};
        bool sheetWasShown = false;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            auto* sheet = qobject_cast<CFXRSheet*>(QApplication::activeModalWidget());
            if (!sheet || !sheet->postScriptPage().isCreated()) return;
            sheetWasShown = (sheet == app->MainWindow);
            sheet->buttons()->button(QDialogButtonBox::StandardButton(button))->click();
        });
        closer.start(20);
        QCOMPARE(app->InitInstance(), false);
        QVERIFY(sheetWasShown);
        QCOMPARE(app->MainWindow, nullptr);
        QCOMPARE(app->ProductName, std::string("Presswick"));
        QVERIFY(!AnotherCopyRuns());  // the guard went with the run
    }

    void aSecondCopyIsRefusedWhileTheFirstRuns() {
        QProcess first;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("CUPS_SERVER", "/nonexistent/cups.sock");
        first.setProcessEnvironment(environment);
        first.start(PRESSWICK_EXECUTABLE);
        QVERIFY(first.waitForStarted());
        QVERIFY(WaitFor(AnotherCopyRuns));

        QCOMPARE(app->InitInstance(), false);
        QCOMPARE(static_cast<int>(shown.size()), 1);
        QCOMPARE(shown[0].owner, nullptr);
        QCOMPARE(shown[0].box, (MessageBoxSpec{"Программа уже запущена...", CFXRApp::ApplicationTitle(),
                                               MessageIcon::Exclamation, MessageButtons::Ok}));
        QCOMPARE(CFXRApp::ApplicationTitle(), std::string("sheet_tests"));
        QCOMPARE(first.state(), QProcess::Running);  // the running copy is left alone

        // Killed, it leaves no lock behind.
        first.kill();
        QVERIFY(first.waitForFinished());
        QVERIFY(!AnotherCopyRuns());

        // A copy started after one that ended normally runs.
        shown.clear();
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (auto* sheet = qobject_cast<CFXRSheet*>(QApplication::activeModalWidget())) sheet->reject();
        });
        closer.start(20);
        app->InitInstance();
        closer.stop();
        QProcess next;
        next.setProcessEnvironment(environment);
        next.start(PRESSWICK_EXECUTABLE);
        QVERIFY(next.waitForStarted());
        QVERIFY(WaitFor(AnotherCopyRuns));
        next.kill();
        QVERIFY(next.waitForFinished());
    }

    // PRESSWICK_SCREENSHOT=path saves a picture of the sheet, for the README.
    void screenshot() {
        const QByteArray path = qgetenv("PRESSWICK_SCREENSHOT");
        if (path.isEmpty()) QSKIP("PRESSWICK_SCREENSHOT not set");
        spooler.list.printers = {{"Corvan-4400-Office", "Corvan 4400 PS"}, {"Corvan-4400-Lab", "Corvan 4400 PS"}};
        auto sheet = openSheet();
        QVERIFY(sheet->grab().save(QString::fromLocal8Bit(path)));
    }
};

QTEST_MAIN(SheetTest)
#include "SheetTest.moc"
