#include "vehicles/frmAutoPic.h"

#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "common/DataFolder.h"
#include "common/modGlobalVars.h"

#include <QApplication>
#include <QDir>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

// Qt reads GIF but cannot write it: a small encoder for test pictures. Every
// pixel is one 3-bit code, with a clear code after each pair so the code width
// never grows.
QByteArray gifBytes(int width, int height)
{
    QByteArray out("GIF89a");
    auto word = [&](int v) {
        out.append(char(v & 0xFF));
        out.append(char((v >> 8) & 0xFF));
    };
    word(width);
    word(height);
    out.append(char(0x81)); // global colour table of 4 entries
    out.append(char(0));
    out.append(char(0));
    out.append(QByteArray::fromHex("ff0000"
                                   "00ff00"
                                   "0000ff"
                                   "ffffff"));
    out.append(',');
    word(0);
    word(0);
    word(width);
    word(height);
    out.append(char(0));
    out.append(char(2)); // minimum code size

    QByteArray data;
    quint32 bits = 0;
    int count = 0;
    auto code = [&](int c) {
        bits |= quint32(c) << count;
        count += 3;
        while (count >= 8) {
            data.append(char(bits & 0xFF));
            bits >>= 8;
            count -= 8;
        }
    };
    const int pixels = width * height;
    for (int i = 0; i < pixels; ++i) {
        if (i % 2 == 0)
            code(4); // clear
        code((i / width + i % width) % 4);
    }
    code(5); // end of information
    if (count > 0)
        data.append(char(bits & 0xFF));
    for (qsizetype i = 0; i < data.size(); i += 255) {
        const QByteArray block = data.mid(i, 255);
        out.append(char(block.size()));
        out.append(block);
    }
    out.append(char(0));
    out.append(';');
    return out;
}

QString pictureFilePath(const QString& vehicle)
{
    return VehicleFiles::inData(VehicleFiles::pictureFile(vehicle));
}

// The bytes a picture file holds for a path (all test paths are ASCII).
QByteArray pictureLine(const QString& path)
{
    return path.toLatin1() + "\r\n";
}

} // namespace

class TestAutoPic : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;
    QString pictures; // a folder of test pictures

    QString makeJpeg(const QString& name, QSize size)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        const QString path = pictures + "/" + name;
        if (!image.save(path, "JPG"))
            return QString();
        return path;
    }
    QString makeGif(const QString& name, QSize size)
    {
        const QString path = pictures + "/" + name;
        writeAll(path, gifBytes(size.width(), size.height()));
        return path;
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        env->dataFolder();
        pictures = env->home() + "/my pictures, 2020";
        QVERIFY(QDir().mkpath(pictures));
    }
    void cleanup() { env.reset(); }

    void jpegAndGifCanBeRead()
    {
        const QList<QByteArray> formats = QImageReader::supportedImageFormats();
        QVERIFY(formats.contains("jpeg") || formats.contains("jpg"));
        QVERIFY(formats.contains("gif"));
        QCOMPARE(QImage(makeGif("g.gif", {5, 3})).size(), QSize(5, 3));
    }

    void layoutRule_data()
    {
        QTest::addColumn<QSize>("outer");
        QTest::addColumn<QRect>("picItem");
        QTest::addColumn<QRect>("cmdAddPic");
        QTest::addColumn<QRect>("cmdClose");
        QTest::newRow("6000 x 5000") << QSize(6000, 5000) << QRect(120, 120, 5650, 3200) << QRect(120, 3400, 5650, 495)
                                     << QRect(120, 3900, 5650, 495);
        QTest::newRow("first size") << QSize(4785, 4320) << QRect(120, 120, 4435, 2520) << QRect(120, 2720, 4435, 495)
                                    << QRect(120, 3220, 4435, 495);
        // Below 1800 x 350 the rule would give negative sizes.
        QTest::newRow("too small") << QSize(300, 1500) << QRect(120, 120, 0, 0) << QRect(120, -100, 0, 495)
                                   << QRect(120, 400, 0, 495);
    }
    void layoutRule()
    {
        QFETCH(QSize, outer);
        const AutoPicLayout layout = autoPicLayout(outer);
        QTEST(layout.picItem, "picItem");
        QTEST(layout.cmdAddPic, "cmdAddPic");
        QTEST(layout.cmdClose, "cmdClose");
    }

    void windowLook()
    {
        frmAutoPic w;
        QCOMPARE(w.windowTitle(), QString("Picture of the Vehicle"));
        QCOMPARE(w.size(), QSize(311, 255));
        QCOMPARE(w.cmdAddPic->text(), QString("Change &Picture"));
        QCOMPARE(w.cmdClose->text(), QString("&Close"));
        QCOMPARE(w.font().family(), QString("Comic Sans MS"));
        QCOMPARE(w.font().pointSizeF(), 8.25);
        QVERIFY(w.picItem->hasScaledContents());
        QVERIFY(!w.isVisible());
        QVERIFY(w.picItem->isHidden());
        QVERIFY(!w.testAttribute(Qt::WA_QuitOnClose));

        w.setVehicle("Car");
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.cmdClose->setFocus();
        QTest::keyClick(w.cmdClose, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.cmdAddPic);
        QTest::keyClick(w.cmdAddPic, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.cmdClose);
    }

    // The window follows the rule on every size change, and its minimum size
    // keeps every control's size at zero or above.
    void windowFollowsTheLayoutRule()
    {
        frmAutoPic w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        for (const QSize size : {QSize(400, 334), QSize(500, 260), QSize(1, 1)}) {
            w.resize(size);
            const AutoPicLayout expected = autoPicLayout(w.frameGeometry().size() * 15);
            QCOMPARE(w.picItem->geometry(), twipsToPixels(expected.picItem));
            QCOMPARE(w.cmdAddPic->geometry(), twipsToPixels(expected.cmdAddPic));
            QCOMPARE(w.cmdClose->geometry(), twipsToPixels(expected.cmdClose));
            QVERIFY(w.frameGeometry().height() * 15 >= 1800);
            QVERIFY(w.frameGeometry().width() * 15 >= 350);
        }
    }

    void noPictureFileLeavesTheImageHidden()
    {
        frmAutoPic w;
        QVERIFY(!w.loadPicture("Car"));
        w.show();
        QVERIFY(w.picItem->isHidden());
        QVERIFY(w.cmdAddPic->isVisible());
        QVERIFY(w.cmdClose->isVisible());
        QVERIFY(w.cmdAddPic->isEnabled());
    }

    void storedPictureIsShown_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("jpeg") << "jpg";
        QTest::newRow("gif") << "gif";
    }
    void storedPictureIsShown()
    {
        QFETCH(QString, kind);
        const QString path = kind == "gif" ? makeGif("car, red.gif", {7, 4}) : makeJpeg("car, red.jpg", {7, 4});
        writeAll(pictureFilePath("Car"), pictureLine(path));
        frmAutoPic w;
        QVERIFY(w.loadPicture("Car"));
        QVERIFY(!w.picItem->isHidden());
        QCOMPARE(w.picture().size(), QSize(7, 4));
    }

    // A's picture must not stay up for B, whose picture has gone.
    void vanishedPictureLeavesTheImageHidden()
    {
        writeAll(pictureFilePath("A"), pictureLine(makeJpeg("a.jpg", {8, 8})));
        writeAll(pictureFilePath("B"), pictureLine(pictures + "/gone.jpg"));
        writeAll(pictureFilePath("C"), QByteArray()); // an empty picture file
        frmAutoPic w;
        QVERIFY(w.loadPicture("A"));
        QVERIFY(!w.loadPicture("B"));
        QVERIFY(w.picItem->isHidden());
        QVERIFY(w.picture().isNull());
        QVERIFY(w.loadPicture("A"));
        QVERIFY(!w.loadPicture("C"));
        QVERIFY(w.picItem->isHidden());
    }

    void pickingAPictureStoresItsPath_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::newRow("jpeg") << "jpg"
                              << "car.jpg";
        QTest::newRow("gif") << "gif"
                             << "car.gif";
        QTest::newRow("commas and blanks") << "jpg"
                                           << " old, red car .jpeg";
    }
    void pickingAPictureStoresItsPath()
    {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        const QString path = kind == "gif" ? makeGif(name, {6, 5}) : makeJpeg(name, {6, 5});
        QVERIFY(!path.isEmpty());
        writeAll(pictureFilePath("Other"), pictureLine(makeJpeg("other.jpg", {2, 2})));

        ScriptedPlatform scripted;
        scripted.fileAnswers.enqueue(path);
        frmAutoPic w;
        w.loadPicture("Car");
        // The dialog may leave the working folder anywhere.
        scripted.onShown = [&](const ScriptedPlatform::Shown&) { QDir::setCurrent(pictures); };
        QTest::mouseClick(w.cmdAddPic, Qt::LeftButton);

        QCOMPARE(scripted.shown.size(), 1);
        QCOMPARE(scripted.shown[0].kind, ScriptedPlatform::Kind::FileOpen);
        QCOMPARE(scripted.shown[0].text,
                 QString("jpg/jpeg Files (*.jpg;*.jpeg)|*.jpg;*.jpeg|gif Files (*.gif)|*.gif|All Files (*.*)|*.*"));
        QCOMPARE(QDir::currentPath(), env->workDir());
        QVERIFY(!w.picItem->isHidden());
        QCOMPARE(w.picture().size(), QSize(6, 5));
        QCOMPARE(readAll(pictureFilePath("Car")), pictureLine(path));

        w.picItem->hide();
        QVERIFY(w.loadPicture("Other"));
        QCOMPARE(w.picture().size(), QSize(2, 2));
        w.picItem->hide();
        QVERIFY(w.loadPicture("Car"));
        QVERIFY(!w.picItem->isHidden());
        QCOMPARE(w.picture().size(), QSize(6, 5));
    }

    // The dialog starts on the picture, else in its folder, else in Pictures, else at home; never the program folder.
    void dialogStartsNearThePicture()
    {
        const QString car = makeJpeg("car.jpg", {2, 2});
        writeAll(pictureFilePath("Car"), pictureLine(car));
        writeAll(pictureFilePath("Gone"), pictureLine(pictures + "/gone.jpg"));
        ScriptedPlatform scripted;
        frmAutoPic w;
        const auto startsAt = [&](const QString& vehicle) {
            w.loadPicture(vehicle);
            scripted.clear();
            w.cmdAddPic_Click();
            return scripted.shown.value(0).initial;
        };
        QCOMPARE(startsAt("Car"), car);
        QCOMPARE(startsAt("Gone"), pictures);
        QCOMPARE(startsAt("New"), QDir::homePath());
        QVERIFY(QDir().mkpath(QDir::homePath() + "/Pictures"));
        QCOMPARE(startsAt("New"), QDir::homePath() + "/Pictures");
    }

    void failedChoiceChangesNothing_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("cancel") << 0;
        QTest::newRow("empty path") << 1;
        QTest::newRow("not a picture") << 2;
        QTest::newRow("missing file") << 3;
    }
    void failedChoiceChangesNothing()
    {
        QFETCH(int, answer);
        const QString stored = makeJpeg("stored.jpg", {3, 9});
        writeAll(pictureFilePath("Car"), pictureLine(stored));
        const QString junk = pictures + "/junk.jpg";
        writeAll(junk, "this is no picture\r\n");

        ScriptedPlatform scripted;
        const std::optional<QString> answers[] = {std::nullopt, QString(""), junk, pictures + "/none.gif"};
        scripted.fileAnswers.enqueue(answers[answer]);
        scripted.onShown = [&](const ScriptedPlatform::Shown&) { QDir::setCurrent(pictures); };
        frmAutoPic w;
        QVERIFY(w.loadPicture("Car"));
        w.cmdAddPic->click();

        QCOMPARE(scripted.shown.size(), 1); // the dialog, no message
        QCOMPARE(QDir::currentPath(), env->workDir());
        QVERIFY(!w.picItem->isHidden());
        QCOMPARE(w.picture().size(), QSize(3, 9));
        QCOMPARE(readAll(pictureFilePath("Car")), pictureLine(stored));
    }

    // The one-line file cannot hold a line break, nor a character outside the
    // code page: such a path would come back as another one.
    void unstorablePathIsRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("outside the code page") << QString::fromUtf8("\xe8\xbd\xa6.jpg");
        QTest::newRow("line break") << "two\nlines.jpg";
    }
    void unstorablePathIsRefused()
    {
        QFETCH(QString, name);
        const QString path = makeJpeg(name, {4, 4});
        QVERIFY(!path.isEmpty());
        ScriptedPlatform scripted;
        scripted.fileAnswers.enqueue(path);
        frmAutoPic w;
        w.loadPicture("Car");
        w.cmdAddPic->click();

        QCOMPARE(scripted.messages().size(), 1);
        QVERIFY(scripted.messages()[0].contains(path));
        QVERIFY(w.picItem->isHidden());
        QVERIFY(!QFile::exists(pictureFilePath("Car")));
        QCOMPARE(QDir::currentPath(), env->workDir());
    }

    void noVehicleNoChange()
    {
        ScriptedPlatform scripted;
        scripted.fileAnswers.enqueue(makeJpeg("x.jpg", {4, 4}));
        frmAutoPic w;
        QVERIFY(!w.cmdAddPic->isEnabled());
        QVERIFY(!w.loadPicture(QString()));
        QVERIFY(!w.cmdAddPic->isEnabled());
        w.cmdAddPic_Click();
        QVERIFY(scripted.shown.isEmpty());
        QVERIFY(!QFile::exists(pictureFilePath(QString())));

        w.setVehicle("Car");
        QVERIFY(w.cmdAddPic->isEnabled());
        w.setVehicle(QString());
        QVERIFY(!w.cmdAddPic->isEnabled());
    }

    void unwritablePictureFileIsReported()
    {
        const QString path = makeJpeg("car.jpg", {4, 4});
        ScriptedPlatform scripted;
        scripted.fileAnswers.enqueue(path);
        scripted.fileAnswers.enqueue(path);
        frmAutoPic w;
        w.loadPicture("Car");
        QVERIFY(QDir().mkpath(pictureFilePath("Car"))); // after the load: a folder there is unreadable
        w.cmdAddPic->click();

        QVERIFY(!w.picItem->isHidden()); // shown, though not stored
        QCOMPARE(scripted.messages().size(), 1);
        QVERIFY(scripted.messages()[0].contains(QDir::toNativeSeparators(pictureFilePath("Car"))));
        QCOMPARE(QDir::currentPath(), env->workDir());

        // Reported once, until a save succeeds.
        w.cmdAddPic->click();
        QCOMPARE(scripted.messages().size(), 1);
        QVERIFY(QDir().rmdir(pictureFilePath("Car")));
        scripted.fileAnswers.enqueue(path);
        w.cmdAddPic->click();
        QCOMPARE(readAll(pictureFilePath("Car")), pictureLine(path));
    }

    void closingHidesAndTellsTheOwner_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Close") << "button";
        QTest::newRow("access key") << "alt";
        QTest::newRow("Esc") << "esc";
        QTest::newRow("window frame") << "frame";
    }
    void closingHidesAndTellsTheOwner()
    {
        QFETCH(QString, how);
        frmAutoPic w;
        QSignalSpy closed(&w, &frmAutoPic::pictureClosed);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QDir::setCurrent(pictures);
        if (how == "button")
            QTest::mouseClick(w.cmdClose, Qt::LeftButton);
        else if (how == "alt")
            QTest::keyClick(&w, Qt::Key_C, Qt::AltModifier); // an animated click
        else if (how == "esc")
            QTest::keyClick(&w, Qt::Key_Escape);
        else
            QVERIFY(w.close());
        QTRY_VERIFY(!w.isVisible());
        QCOMPARE(closed.size(), 1);
        QCOMPARE(QDir::currentPath(), env->workDir());
    }

    void instanceIsOneHiddenWindow()
    {
        frmAutoPic* w = frmAutoPic::instance();
        QVERIFY(w);
        QCOMPARE(frmAutoPic::instance(), w);
        QVERIFY(!w->isVisible());
    }
};

GEARBOOK_TEST_MAIN(TestAutoPic)
#include "tst_autopic.moc"
