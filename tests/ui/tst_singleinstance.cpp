#include "TestEnvironment.h"
#include "ui/SingleInstance.h"

#include <QPointer>
#include <QTest>
#include <QWidget>

namespace {

class OneWindow : public QWidget, public SingleInstance<OneWindow> {
public:
    explicit OneWindow(bool adopt = false)
    {
        if (adopt)
            adoptAsInstance();
    }
    void closeForGood() { forgetInstance(); }
};

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;

private slots:
    void init() { env = std::make_unique<TestEnvironment>(); }
    void cleanup()
    {
        OneWindow::discard();
        flushDeletes();
        env.reset();
    }

    void madeOnceAndForgottenWhenDestroyed()
    {
        QVERIFY(!OneWindow::exists());
        QCOMPARE(OneWindow::existing(), nullptr);
        OneWindow* first = OneWindow::instance();
        QCOMPARE(OneWindow::instance(), first);
        delete first;
        QVERIFY(!OneWindow::exists());
        QVERIFY(OneWindow::instance());
    }

    void discardForgetsAtOnceAndDeletesLater()
    {
        QPointer<OneWindow> window = OneWindow::instance();
        window->show();
        OneWindow::discard();
        QVERIFY(!OneWindow::exists());
        QVERIFY(window);
        QVERIFY(window->isHidden());
        flushDeletes();
        QVERIFY(!window);
    }

    void aWindowMadeDirectlyIsAdoptedOnlyWhenThereIsNone()
    {
        OneWindow adopted(true);
        QCOMPARE(OneWindow::instance(), &adopted);
        OneWindow second(true);
        QCOMPARE(OneWindow::instance(), &adopted);
        OneWindow plain;
        QCOMPARE(OneWindow::instance(), &adopted);
    }

    void aWindowClosedForGoodIsForgottenBeforeItGoes()
    {
        OneWindow* window = OneWindow::instance();
        window->closeForGood();
        QVERIFY(!OneWindow::exists());
        delete window; // forgetting it again changes nothing
        QVERIFY(!OneWindow::exists());
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
