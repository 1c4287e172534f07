#include "MainWindowFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

// File > "Vehicle Report..." through the real window.
class TestReportMenu : public MainWindowFixture {
    Q_OBJECT

private slots:
    void reportOfTheSelectedVehicle()
    {
        QVERIFY(open());
        QVERIFY(!w->mnuReport->isEnabled()); // no vehicle yet, like Remove Vehicle
        add("Ford");
        QVERIFY(w->mnuReport->isEnabled());

        // No documents folder yet: the home folder is proposed. ".pdf" is added to a name without it.
        dialogs->clear();
        dialogs->fileAnswers.enqueue(env->home() + "/for the buyer");
        w->mnuReport->trigger();
        QCOMPARE(dialogs->shown.first().kind, ScriptedPlatform::Kind::FileSave);
        QCOMPARE(dialogs->shown.first().initial, QDir::homePath() + "/Ford history.pdf");
        QVERIFY(readAll(env->home() + "/for the buyer.pdf").startsWith("%PDF"));
        // Said, with a way to look at it; closed, nothing is started.
        QCOMPARE(dialogs->messages(), QStringList{"Wrote 1 page to \"" + env->home() + "/for the buyer.pdf\"."});
        QCOMPARE(dialogs->shown.last().captions, (QStringList{"Open", "Close"}));
        QCOMPARE(dialogs->startedPrograms, QStringList());
        dialogs->clear();
        dialogs->fileAnswers.enqueue(env->home() + "/for the buyer.pdf");
        dialogs->choiceAnswers.enqueue(0);
        w->mnuReport->trigger();
        QCOMPARE(dialogs->startedPrograms, QStringList{"xdg-open"});

        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QVERIFY(QDir().mkpath(documents));
        dialogs->clear();
        dialogs->fileAnswers.enqueue(std::nullopt); // Cancel
        w->mnuReport->trigger();
        QCOMPARE(dialogs->shown.first().initial, documents + "/Ford history.pdf");

        // A folder where the file should go: told why, nothing else changes.
        QVERIFY(QDir().mkdir(env->home() + "/taken.pdf"));
        dialogs->clear();
        dialogs->fileAnswers.enqueue(env->home() + "/taken.pdf");
        w->mnuReport->trigger();
        QVERIFY2(dialogs->messages().last().startsWith("The report could not be written."),
                 qPrintable(dialogs->messages().join('\n')));

        dialogs->messageAnswers.enqueue(MsgAnswer::Yes);
        w->cmdRemove->click();
        QVERIFY(!w->mnuReport->isEnabled());
    }

    // Print Page without a printer, saved as a PDF: told as the report is, with Open.
    void pageSavedAsPdfIsTold()
    {
        QVERIFY(open());
        dialogs->printSucceeds = false;
        dialogs->printError = noPrinterReason();
        dialogs->clear();
        dialogs->messageAnswers.enqueue(MsgAnswer::Yes);
        dialogs->fileAnswers.enqueue(env->home() + "/page");
        dialogs->choiceAnswers.enqueue(0);
        w->cmdPrint->click();
        QVERIFY(readAll(env->home() + "/page.pdf").startsWith("%PDF"));
        QCOMPARE(dialogs->messages().last(), "Wrote 1 page to \"" + env->home() + "/page.pdf\".");
        const ScriptedPlatform::Shown told = dialogs->shown.at(dialogs->shown.size() - 2); // then xdg-open
        QCOMPARE(told.captions, (QStringList{"Open", "Close"}));
        QCOMPARE(told.title, "Save Page as PDF");
        QCOMPARE(dialogs->startedPrograms, QStringList{"xdg-open"});

        // Not written: the failure is told, and nothing claims it was.
        QVERIFY(QDir().mkdir(env->home() + "/taken.pdf"));
        dialogs->clear();
        dialogs->messageAnswers.enqueue(MsgAnswer::Yes);
        dialogs->fileAnswers.enqueue(env->home() + "/taken.pdf");
        w->cmdPrint->click();
        QVERIFY(dialogs->messages().last().startsWith("Gearbook could not save"));
        QVERIFY(!dialogs->messages().join('\n').contains("Wrote"));
    }
};

GEARBOOK_TEST_MAIN(TestReportMenu)
#include "tst_reportmenu.moc"
