#include "TestEnvironment.h"
#include "app/RaiseRunning.h"
#include "common/DataFolder.h"

#include <QApplication>
#include <QProcess>
#include <QTest>

// A second start of the real program while this process holds the data folder.
class TestRaiseRunning : public QObject {
    Q_OBJECT

private slots:
    void aSecondStartRaisesTheFirst()
    {
        TestEnvironment env;
        DataFolder::Lock lock;
        QCOMPARE(lock.take(), DataFolder::Lock::Result::Held);
        QVERIFY(!RaiseRunning::askToRaise(DataFolder::path())); // nobody listens yet
        int raised = 0;
        auto listener = std::make_unique<RaiseRunning::Listener>(DataFolder::path(), [&raised] { ++raised; });
        QVERIFY(listener->isListening());

        QProcess second;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("QT_QPA_PLATFORM", "offscreen");
        e.insert("GEARBOOK_QUIT_AFTER_FIRST_PAINT", "1");
        second.setProcessEnvironment(e);
        second.start(GEARBOOK_PROGRAM);
        QVERIFY(QTest::qWaitFor([&second] { return second.state() == QProcess::NotRunning; }, 60000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(raised, 1);
        // Gone with the listener: the next start is told who holds the folder instead.
        const QString socket = RaiseRunning::socketPath(DataFolder::path());
        QVERIFY(QFileInfo::exists(socket));
        listener.reset();
        QVERIFY(!QFileInfo::exists(socket));
    }
};

GEARBOOK_TEST_MAIN(TestRaiseRunning)
#include "tst_raiserunning.moc"
