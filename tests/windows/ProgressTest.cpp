// The progress window over the sheet, offscreen: what it shows, what it holds back, and
// what it gives back when it goes.

#include "app/CFXRApp.h"
#include "app/CFXRSheet.h"
#include "platform/PosixSystem.h"
#include "tests/support/RecordingSpooler.h"
#include "transport/CFXRProgress.h"
#include "transport/CFXRSpoolJob.h"
#include "transport/QtActionUserInterface.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QProgressBar>
#include <QTabWidget>
#include <QTemporaryFile>
#include <QTimer>
#include <QtTest>

using namespace presswick;
using testing::EventLog;
using testing::RecordingSpooler;

namespace {

struct ShownBox {
    QWidget* owner;
    MessageBoxSpec box;
    bool progressShown;  // a progress window was on screen while the box was
    bool sheetHeld;      // the sheet's tabs and buttons were disabled meanwhile
};

bool SheetUsable(CFXRSheet& sheet) { return sheet.tabs()->isEnabled() && sheet.buttons()->isEnabled(); }

CFXRProgress* VisibleProgressWindow() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* progress = qobject_cast<CFXRProgress*>(window); progress && progress->isVisible()) return progress;
    return nullptr;
}

}  // namespace

Q_DECLARE_METATYPE(std::deque<presswick::JobState>)

class ProgressTest : public QObject {
    Q_OBJECT

    EventLog log;
    RecordingSpooler spooler{log};
    PosixSystem system;
    std::unique_ptr<CFXRApp> app;
    std::unique_ptr<CFXRSheet> sheet;
    std::vector<ShownBox> shown;

    bool RunDownload() {
        QTemporaryFile source;
        source.open();
        source.write("font");
        source.close();
        QtActionUserInterface ui(*app, &sheet->pcl5Page());
        CFXRSpoolJob job(spooler, ui, "Corvan");
        return job.SpoolDownloadJob({.filePath = source.fileName().toStdString(), .documentName = "PCL5 Font"});
    }

private slots:
    void init() {
        log.clear();
        spooler.script = {};
        shown.clear();
        app = std::make_unique<CFXRApp>(spooler, system);
        app->ProductName = "Presswick";
        app->messageBoxHandler = [this](QWidget* owner, const MessageBoxSpec& box) {
            shown.push_back({owner, box, VisibleProgressWindow() != nullptr, sheet && !SheetUsable(*sheet)});
            return box.buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
        };
        sheet = std::make_unique<CFXRSheet>(*app);
        app->MainWindow = sheet.get();
        sheet->show();
        QCoreApplication::processEvents();
        shown.clear();  // the pages' warnings about the empty printer list
    }
    void cleanup() {
        // Taking the pages out of the sheet activates them, and they may warn.
        app->messageBoxHandler = [](QWidget*, const MessageBoxSpec&) { return MessageAnswer::Ok; };
        app->MainWindow = nullptr;
        sheet.reset();
        app.reset();
    }

    void showsAFullBarUnderItsCaptionAndHoldsTheSheet() {
        CFXRProgress progress(*app);
        QVERIFY(progress.Create());
        QCOMPARE(progress.owner(), sheet.get());
        QVERIFY(progress.isVisible());
        QCOMPARE(progress.windowTitle(), QString("Presswick"));
        QCOMPARE(progress.progressBar()->minimum(), 0);
        QCOMPARE(progress.progressBar()->maximum(), 10000);
        QCOMPARE(progress.progressBar()->value(), 0);
        QVERIFY(!(progress.windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!SheetUsable(*sheet));
        QVERIFY(progress.isEnabled());

        progress.SetStatus("Статус загрузки");
        progress.SetPos(9999);
        progress.StepIt();
        QCOMPARE(progress.statusLine()->text(), QString("Статус загрузки"));
        QCOMPARE(progress.progressBar()->value(), 10000);

        QVERIFY(progress.DestroyWindow());
        QVERIFY(!progress.isVisible());
        QVERIFY(SheetUsable(*sheet));
    }

    void enterAndEscapeLeaveItAndTheSheetOpen() {
        CFXRProgress progress(*app);
        progress.Create();
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
            QTest::keyClick(&progress, key);
            QTest::keyClick(sheet.get(), key);
        }
        QVERIFY(!sheet->close());
        QVERIFY(!progress.close());
        QCoreApplication::processEvents();
        QVERIFY(progress.isVisible());
        QVERIFY(sheet->isVisible());
        QCOMPARE(sheet->result(), 0);

        progress.DestroyWindow();
        QTest::keyClick(sheet.get(), Qt::Key_Escape);
        QVERIFY(!sheet->isVisible());  // once it has gone, Escape is the sheet's Cancel again
    }

    void settingTheBarLetsWaitingEventsThrough() {
        CFXRProgress progress(*app);
        progress.Create();
        bool delivered = false;
        QTimer::singleShot(0, &progress, [&] { delivered = true; });
        progress.SetPos(5);
        QVERIFY(delivered);
        delivered = false;
        QTimer::singleShot(0, &progress, [&] { delivered = true; });
        progress.StepIt();
        QVERIFY(delivered);
        QCOMPARE(progress.progressBar()->value(), 6);
    }

    void anOwnerAlreadyDisabledStaysDisabled() {
        sheet->tabs()->setEnabled(false);
        sheet->buttons()->setEnabled(false);
        {
            CFXRProgress progress(*app);
            QVERIFY(progress.Create());
        }  // the destructor destroys the window
        QVERIFY(!sheet->tabs()->isEnabled());
        QVERIFY(!sheet->buttons()->isEnabled());
    }

    void anExplicitParentIsTheOwner() {
        QWidget other;
        other.show();
        CFXRProgress progress(*app);
        progress.Create(&other);
        QCOMPARE(progress.owner(), &other);
        QVERIFY(SheetUsable(*sheet));
    }

    void theSheetIsUsableAgainAfterADownload_data() {
        QTest::addColumn<std::deque<JobState>>("states");
        QTest::addColumn<bool>("downloaded");
        QTest::addColumn<QString>("lastText");
        QTest::newRow("success") << std::deque<JobState>{} << true << "Выбранный файл был успешно загружен";
        QTest::newRow("deleted") << std::deque<JobState>{JobState{.deleted = true}} << false
                                 << "Ошибка! Нельзя загрузить файл.";
        QTest::newRow("error, cancelled") << std::deque<JobState>{JobState{.error = true, .lastPlatformError = 5}}
                                          << false << "В процессе загрузки произошла ошибка";
    }
    void theSheetIsUsableAgainAfterADownload() {
        QFETCH(std::deque<JobState>, states);
        QFETCH(bool, downloaded);
        QFETCH(QString, lastText);
        spooler.script.states = states;
        QCOMPARE(RunDownload(), downloaded);
        QVERIFY(!shown.empty());
        const ShownBox& last = shown.back();
        QCOMPARE(QString::fromStdString(last.box.text), lastText);
        QCOMPARE(last.owner, &sheet->pcl5Page());
        QVERIFY(last.progressShown);
        QVERIFY(last.sheetHeld);
        QVERIFY(!VisibleProgressWindow());
        QVERIFY(SheetUsable(*sheet));
    }

    void aFileErrorCarriesTheApplicationTitle() {
        QtActionUserInterface ui(*app, &sheet->pcl5Page());
        CFXRSpoolJob job(spooler, ui, "Corvan");
        QVERIFY(!job.SpoolDownloadJob({.filePath = "/nonexistent-presswick/font.bin", .documentName = "PCL5 Font"}));
        QCOMPARE(shown.size(), std::size_t(1));
        QCOMPARE(shown[0].box, (MessageBoxSpec{"Файл /nonexistent-presswick/font.bin не найден.",
                                               CFXRApp::ApplicationTitle(), MessageIcon::Error, MessageButtons::Ok}));
        QVERIFY(SheetUsable(*sheet));
    }

    void aRealErrorBoxOverTheProgressWindow() {
        app->messageBoxHandler = ShowQtMessageBox;
        spooler.script.states = {JobState{.deleted = true}};
        QString answered;
        bool progressShown = false;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                answered = box->text();
                progressShown = VisibleProgressWindow() != nullptr;
                box->button(QMessageBox::Ok)->click();
            }
        });
        answerer.start(10);
        QVERIFY(!RunDownload());
        QCOMPARE(answered, QString("Ошибка! Нельзя загрузить файл."));
        QVERIFY(progressShown);
        QVERIFY(!VisibleProgressWindow());
        QVERIFY(SheetUsable(*sheet));
    }

    // The program runs the sheet with exec(): the window must show and go over a modal sheet.
    void worksOverTheModalSheet() {
        sheet->hide();
        spooler.script.states = {JobState{.detail = "printing"}, JobState{.detail = "printing"}};
        bool downloaded = false;
        bool usableAfter = false;
        QElapsedTimer watching;
        qint64 waited = 0;
        QTimer::singleShot(0, sheet.get(), [&] {
            watching.start();
            downloaded = RunDownload();
            waited = watching.elapsed();
            usableAfter = SheetUsable(*sheet);
            sheet->reject();
        });
        sheet->exec();
        QVERIFY(downloaded);
        QVERIFY(usableAfter);
        QVERIFY(shown.back().progressShown);
        QVERIFY2(waited >= 200, "two queries still printing: two pauses of 100 ms");
    }
};

QTEST_MAIN(ProgressTest)
#include "ProgressTest.moc"
