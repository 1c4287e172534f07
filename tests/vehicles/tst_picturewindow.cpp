#include "MainWindowFixture.h"
#include "vehicles/frmAutoPic.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

namespace {

// Runs `onShow` as the watched window is being shown.
class ShowWatcher : public QObject {
public:
    std::function<void()> onShow;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show && onShow)
            onShow();
        return false;
    }
};

} // namespace

// The picture window as the main window drives it.
class TestPictureWindow : public MainWindowFixture {
    Q_OBJECT

    frmAutoPic* pic() const { return frmAutoPic::instance(); }

    // The one vehicle "A", with a picture, selected: the picture shows.
    bool openOnVehicleWithPicture()
    {
        env->dataFolder();
        writeAll(data("MainList.gbx"), "\"A\"\r\n");
        writeAll(data("APic.gbx"), makeJpeg("a.jpg", {5, 5}).toLatin1() + "\r\n");
        if (!open())
            return false;
        pick("A");
        return !pic()->picItem->isHidden();
    }

    QString makeJpeg(const QString& name, QSize size) const
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkYellow);
        const QString path = env->home() + "/" + name;
        return image.save(path, "JPG") ? path : QString();
    }

private slots:
    void init()
    {
        MainWindowFixture::init();
        // One picture window serves every main window of this run.
        pic()->hide();
        pic()->picItem->hide();
        pic()->setWindowTitle("Picture of the Vehicle");
    }

    void openingCreatesTheWindowHidden()
    {
        QVERIFY(open());
        QVERIFY(!pic()->isVisible());
        QVERIFY(pic()->picItem->isHidden());
        QVERIFY(!pic()->cmdAddPic->isEnabled());
        QVERIFY(!w->chkPic->isChecked());
        QVERIFY(!w->chkPic->isEnabled());
    }

    void selectionLoadsThePictureAndNamesTheWindow()
    {
        env->dataFolder();
        writeAll(data("MainList.gbx"), "\"A\"\r\n\"B\"\r\n");
        writeAll(data("APic.gbx"), makeJpeg("a.jpg", {5, 5}).toLatin1() + "\r\n");
        writeAll(data("BPic.gbx"), env->home().toLatin1() + "/gone.jpg\r\n");
        QVERIFY(open());

        pick("A");
        QVERIFY(!pic()->picItem->isHidden());
        QCOMPARE(pic()->windowTitle(), QString("A"));
        QVERIFY(pic()->cmdAddPic->isEnabled());
        pick("B");
        QVERIFY(pic()->picItem->isHidden()); // A's picture is not B's
        QCOMPARE(pic()->windowTitle(), QString("B"));

        // A picture chosen for B is stored as B's and comes back with B.
        const QString chosen = makeJpeg("b, new.jpg", {3, 4});
        dialogs->fileAnswers.enqueue(chosen);
        pic()->cmdAddPic->click();
        QCOMPARE(readAll(data("BPic.gbx")), chosen.toLatin1() + "\r\n");
        pick("A");
        QCOMPARE(pic()->picture().size(), QSize(5, 5));
        pick("B");
        QVERIFY(!pic()->picItem->isHidden());
        QCOMPARE(pic()->picture().size(), QSize(3, 4));
    }

    void removingTheVehicleEmptiesTheWindow()
    {
        QVERIFY(openOnVehicleWithPicture());
        dialogs->messageAnswers << MsgAnswer::Yes;
        w->cmdRemove->click();
        QVERIFY(pic()->picItem->isHidden());
        QVERIFY(pic()->picture().isNull());
        QVERIFY(pic()->windowTitle().isEmpty());
        QVERIFY(!pic()->cmdAddPic->isEnabled());
    }

    void addingHidesThePicture()
    {
        QVERIFY(openOnVehicleWithPicture());
        add("Car");
        QVERIFY(pic()->picItem->isHidden());
        QCOMPARE(pic()->windowTitle(), QString("Car"));
        QCOMPARE(pic()->vehicle(), QString("Car"));
    }

    void checkingSavesThePageBeforeShowing()
    {
        QVERIFY(open());
        add("Van");
        // Typed but not yet saved: the field has not lost the focus.
        w->txtIMake->setText("Ford");
        QCOMPARE(readAll(data("Van.gbx")), EmptyVehicleRecord);

        ShowWatcher watcher;
        QByteArray atShow;
        watcher.onShow = [&] { atShow = readAll(data("Van.gbx")); };
        pic()->installEventFilter(&watcher);
        w->chkPic->setChecked(true);
        pic()->removeEventFilter(&watcher);

        QVERIFY(pic()->isVisible());
        QCOMPARE(fieldsOf(atShow).at(0), QByteArray("\"Ford\""));

        w->txtIMake->setText("Opel");
        w->chkPic->setChecked(false);
        QVERIFY(!pic()->isVisible());
        QCOMPARE(fieldsOf(readAll(data("Van.gbx"))).at(0), QByteArray("\"Opel\""));
    }

    void closingThePictureUnchecksTheBox_data()
    {
        QTest::addColumn<bool>("byFrame");
        QTest::newRow("Close") << false;
        QTest::newRow("window frame") << true;
    }
    void closingThePictureUnchecksTheBox()
    {
        QFETCH(bool, byFrame);
        QVERIFY(open());
        add("Van");
        QTest::mouseClick(w->chkPic, Qt::LeftButton);
        QVERIFY(w->chkPic->isChecked());
        QVERIFY(pic()->isVisible());
        if (byFrame)
            pic()->close();
        else
            pic()->cmdClose->click();
        QVERIFY(!pic()->isVisible());
        QVERIFY(!w->chkPic->isChecked());
        QCOMPARE(QDir::currentPath(), env->workDir());
        QCOMPARE(quits, 0);
    }

    void closingTheMainWindowHidesThePicture()
    {
        QVERIFY(open());
        add("Van");
        w->chkPic->setChecked(true);
        QVERIFY(pic()->isVisible());
        w->close();
        QVERIFY(!pic()->isVisible());
        QVERIFY(!w->chkPic->isChecked());
        QCOMPARE(quits, 1);
    }

    // After a removal there is no vehicle to store a picture for.
    void removalDisablesChangePicture()
    {
        QVERIFY(open());
        add("Van");
        w->chkPic->setChecked(true);
        QVERIFY(pic()->cmdAddPic->isEnabled());
        dialogs->messageAnswers.enqueue(MsgAnswer::Yes);
        w->cmdRemove->click();
        QCOMPARE(w->selectedVehicle(), QString());
        QVERIFY(!pic()->cmdAddPic->isEnabled());

        dialogs->clear();
        dialogs->fileAnswers.enqueue(makeJpeg("x.jpg", {2, 2}));
        pic()->cmdAddPic_Click();
        QVERIFY(dialogs->shown.isEmpty());
        QVERIFY(!QFileInfo::exists(data("Pic.gbx")));

        // Closing it now saves no page of the removed vehicle.
        pic()->cmdClose->click();
        QVERIFY(!w->chkPic->isChecked());
        QVERIFY(!QFileInfo::exists(data(".gbx")));
        QVERIFY(!QFileInfo::exists(data("Van.gbx")));

        add("Car");
        QVERIFY(pic()->cmdAddPic->isEnabled());
    }
};

GEARBOOK_TEST_MAIN(TestPictureWindow)
#include "tst_picturewindow.moc"
