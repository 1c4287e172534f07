#include "help/frmAutoAbout.h"

#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "ui/Icon.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString kMsinfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");
constexpr quint32 HKLM = Registry::HKEY_LOCAL_MACHINE;

void makeExecutable(const QString& path)
{
    writeAll(path, "#!/bin/sh\nexit 0\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void getKeyValue_data();
    void getKeyValue();
    void getKeyValueFailures();

    void startsToolNamedByPath();
    void startsToolFromMsinfoFolder_data();
    void startsToolFromMsinfoFolder();
    void reportsWhenNothingToStart_data();
    void reportsWhenNothingToStart();
    void fallsBackToProgramOnPath();

    void windowContents();
    void programIconHasEverySize();
    void okEnterAndEscDiscardTheWindow_data();
    void okEnterAndEscDiscardTheWindow();
    void showingAgainReusesTheWindow();

private:
    void closeAbout();

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<QTemporaryDir> m_pathDir;
    QByteArray m_oldPath;
};

void TestAbout::init()
{
    m_env = std::make_unique<TestEnvironment>();
    m_platform = std::make_unique<ScriptedPlatform>();
    // PATH holds one empty folder, so no system-information program is found unless a test puts one there.
    m_pathDir = std::make_unique<QTemporaryDir>();
    m_oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(m_pathDir->path()));
}

void TestAbout::cleanup()
{
    closeAbout();
    qputenv("PATH", m_oldPath);
    m_pathDir.reset();
    m_platform.reset();
    m_env.reset();
}

void TestAbout::closeAbout()
{
    if (QPointer<frmAutoAbout> w = frmAutoAbout::existing()) {
        w->reject();
        QTRY_VERIFY(w.isNull());
    }
}

void TestAbout::getKeyValue_data()
{
    QTest::addColumn<quint32>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("expected");

    const quint32 sz = Registry::REG_SZ;
    const quint32 dword = Registry::REG_DWORD;
    QTest::newRow("text ending in its zero") << sz << QByteArray("C:\\Tools\0", 9) << QString() << "C:\\Tools";
    QTest::newRow("text without a zero keeps all") << sz << QByteArray("abc") << QString() << "abc";
    QTest::newRow("only the last zero is dropped")
        << sz << QByteArray("ab\0\0", 4) << QString() << QString::fromLatin1("ab\0", 3);
    QTest::newRow("text in the code page")
        << sz << QByteArray("caf\xe9 \x80\0", 7) << QString() << QString::fromUtf8("café €");
    QTest::newRow("empty value") << sz << QByteArray() << "old" << QString();
    QTest::newRow("just the zero") << sz << QByteArray(1, '\0') << "old" << QString();
    QTest::newRow("text filling the buffer") << sz << QByteArray(1024, 'x') << QString() << QString(1024, 'x');
    QTest::newRow("text replaces the old value") << sz << QByteArray("new\0", 4) << "old"
                                                 << "new";

    // Little-endian bytes; the trailing-zero rule drops a zero high byte; digits without leading zeros.
    QTest::newRow("dword 10") << dword << QByteArray("\x0A\0\0\0", 4) << QString() << "&h00A";
    QTest::newRow("dword all bytes") << dword << QByteArray("\x78\x56\x34\x12", 4) << QString() << "&h12345678";
    QTest::newRow("dword 256") << dword << QByteArray("\0\x01\0\0", 4) << QString() << "&h010";
    QTest::newRow("dword ignores the old value") << dword << QByteArray("\xFF\0\0\0", 4) << "xyz"
                                                 << "&h00FF";

    QTest::newRow("other type keeps the old value") << quint32(3) << QByteArray("\x01\x02", 2) << "keep"
                                                    << "keep";
    QTest::newRow("expandable text is another type")
        << quint32(2) << QByteArray("%PATH%\0", 7) << QString() << QString();
}

void TestAbout::getKeyValue()
{
    QFETCH(quint32, type);
    QFETCH(QByteArray, data);
    QFETCH(QString, before);
    QFETCH(QString, expected);

    m_platform->fakeRegistry.setValue(HKLM, QStringLiteral("SOFTWARE\\Test"), QStringLiteral("Value"), type, data);
    QString value = before;
    QVERIFY(frmAutoAbout::GetKeyValue(HKLM, QStringLiteral("software\\test"), QStringLiteral("value"), value));
    QCOMPARE(value, expected);
    QCOMPARE(m_platform->fakeRegistry.lastAccess, Registry::KEY_ALL_ACCESS);
    QCOMPARE(m_platform->fakeRegistry.openHandles(), 0);
}

void TestAbout::getKeyValueFailures()
{
    FakeRegistry& reg = m_platform->fakeRegistry;
    const QString key = QStringLiteral("SOFTWARE\\Test");
    QString value = QStringLiteral("old");

    // No such key.
    QVERIFY(!frmAutoAbout::GetKeyValue(HKLM, key, QStringLiteral("Value"), value));
    QCOMPARE(value, QString());
    QCOMPARE(reg.lastAccess, Registry::KEY_ALL_ACCESS);

    // The key is there but has no such value: the key is still closed.
    reg.setText(HKLM, key, QStringLiteral("Other"), "x");
    value = QStringLiteral("old");
    QVERIFY(!frmAutoAbout::GetKeyValue(HKLM, key, QStringLiteral("Value"), value));
    QCOMPARE(value, QString());
    QCOMPARE(reg.openHandles(), 0);

    // A value larger than the 1024-byte buffer cannot be read.
    reg.setValue(HKLM, key, QStringLiteral("Big"), Registry::REG_SZ, QByteArray(1025, 'x'));
    value = QStringLiteral("old");
    QVERIFY(!frmAutoAbout::GetKeyValue(HKLM, key, QStringLiteral("Big"), value));
    QCOMPARE(value, QString());
    QCOMPARE(reg.openHandles(), 0);

    // The key cannot be opened with full access.
    reg.key(HKLM, key).openable = false;
    value = QStringLiteral("old");
    QVERIFY(!frmAutoAbout::GetKeyValue(HKLM, key, QStringLiteral("Other"), value));
    QCOMPARE(value, QString());
    QCOMPARE(reg.openHandles(), 0);
}

void TestAbout::startsToolNamedByPath()
{
    m_platform->fakeRegistry.setText(HKLM, kMsinfoKey, QStringLiteral("PATH"), "/opt/tools/msinfo32");
    // Also a folder value: the PATH value wins.
    m_platform->fakeRegistry.setText(HKLM, kLocationKey, QStringLiteral("MSINFO"), "/elsewhere");
    frmAutoAbout::StartSysInfo();
    QCOMPARE(m_platform->startedPrograms, QStringList{QStringLiteral("/opt/tools/msinfo32")});
    QCOMPARE(m_platform->messages(), QStringList());
    QCOMPARE(m_platform->fakeRegistry.openHandles(), 0);
}

void TestAbout::startsToolFromMsinfoFolder_data()
{
    QTest::addColumn<bool>("toolThere");
    QTest::newRow("MSINFO32.EXE in the folder") << true;
    QTest::newRow("folder without it") << false;
}

void TestAbout::startsToolFromMsinfoFolder()
{
    QFETCH(bool, toolThere);
    const QString folder = m_env->workDir() + QStringLiteral("/msinfo");
    QDir().mkpath(folder);
    if (toolThere)
        makeExecutable(folder + QStringLiteral("/MSINFO32.EXE"));
    m_platform->fakeRegistry.setText(HKLM, kLocationKey, QStringLiteral("MSINFO"), QFile::encodeName(folder));

    frmAutoAbout::StartSysInfo();

    if (toolThere) {
        QCOMPARE(m_platform->startedPrograms, QStringList{folder + QStringLiteral("/MSINFO32.EXE")});
        QCOMPARE(m_platform->messages(), QStringList());
    } else {
        QCOMPARE(m_platform->startedPrograms, QStringList());
        QCOMPARE(m_platform->messages(), QStringList{kUnavailable});
    }
}

void TestAbout::reportsWhenNothingToStart_data()
{
    QTest::addColumn<int>("setup");
    QTest::newRow("neither value") << 0;
    QTest::newRow("keys without the values") << 1;
    QTest::newRow("key refuses full access") << 2;
    QTest::newRow("the tool does not start") << 3;
    QTest::newRow("a folder named MSINFO32.EXE") << 4;
}

void TestAbout::reportsWhenNothingToStart()
{
    QFETCH(int, setup);
    FakeRegistry& reg = m_platform->fakeRegistry;
    switch (setup) {
    case 1:
        reg.setText(HKLM, kMsinfoKey, QStringLiteral("Other"), "x");
        reg.setText(HKLM, kLocationKey, QStringLiteral("Other"), "x");
        break;
    case 2:
        reg.setText(HKLM, kMsinfoKey, QStringLiteral("PATH"), "/opt/tools/msinfo32");
        reg.key(HKLM, kMsinfoKey).openable = false;
        break;
    case 3:
        reg.setText(HKLM, kMsinfoKey, QStringLiteral("PATH"), "/opt/tools/msinfo32");
        m_platform->startSucceeds = false;
        break;
    case 4: {
        const QString folder = m_env->workDir() + QStringLiteral("/msinfo");
        QDir().mkpath(folder + QStringLiteral("/MSINFO32.EXE"));
        reg.setText(HKLM, kLocationKey, QStringLiteral("MSINFO"), QFile::encodeName(folder));
        break;
    }
    default:
        break;
    }

    frmAutoAbout::StartSysInfo();

    QCOMPARE(m_platform->startedPrograms, QStringList());
    QCOMPARE(m_platform->messages(), QStringList{kUnavailable});
    const ScriptedPlatform::Shown& shown = m_platform->shown.constLast();
    QCOMPARE(shown.title, QString()); // the application title
    QCOMPARE(shown.buttons, MsgButtons::Ok);
    QCOMPARE(shown.icon, MsgIcon::None);
    QCOMPARE(reg.openHandles(), 0);
}

void TestAbout::fallsBackToProgramOnPath()
{
    // This system has no registry values: a system-information program on PATH stands in.
    const QString program = m_pathDir->filePath(QStringLiteral("gnome-system-monitor"));
    makeExecutable(program);
    // Not executable: not taken.
    writeAll(m_pathDir->filePath(QStringLiteral("hardinfo")), "not a program");

    frmAutoAbout::StartSysInfo();
    QCOMPARE(m_platform->startedPrograms, QStringList{program});
    QCOMPARE(m_platform->messages(), QStringList());

    // When it cannot be started, the message comes after all.
    m_platform->clear();
    m_platform->startSucceeds = false;
    frmAutoAbout::StartSysInfo();
    QCOMPARE(m_platform->messages(), QStringList{kUnavailable});
}

void TestAbout::programIconHasEverySize()
{
    // The icon decodes its images only when first asked, and then gives every size as drawn.
    const QIcon icon = gearbookIcon();
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}}));
    for (int size : {16, 32, 48, 64, 128, 256})
        QCOMPARE(icon.pixmap(size).toImage(), gearbookPixmap(size).toImage());
    QCOMPARE(icon.pixmap(40).size(), QSize(40, 40));
}

void TestAbout::windowContents()
{
    frmAutoAbout::showAbout();
    frmAutoAbout* w = frmAutoAbout::existing();
    QVERIFY(w);
    QVERIFY(w->isVisible());
    QVERIFY(!w->isModal());
    QCOMPARE(w->windowTitle(), QStringLiteral("About Venbry's Gearbook"));
    QCOMPARE(w->lblTitle->text(), QStringLiteral("Venbry's Gearbook"));
    QCOMPARE(w->lblTitle->font().family(), QStringLiteral("Comic Sans MS"));
    QCOMPARE(w->lblVersion->text(), QStringLiteral("Version: 1.1"));
    QCOMPARE(w->lblDescription->text(),
             QStringLiteral("Venbry's Gearbook was designed as a database utility, providing an easy way to keep track "
                            "of, and categorize, all the necessary information on your vehicle(s).  Store information "
                            "on what parts you have purchased/installed, details of your car, and when you need your "
                            "next tune-up.  All in one easy to access loaction on your computer."));
    QVERIFY(!w->lblDisclaimer->text().isEmpty());
    // Every word of the two long texts fits in its label.
    for (QLabel* label : {w->lblDescription, w->lblDisclaimer})
        QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(label->objectName()));
    QCOMPARE(w->cmdOK->text(), QStringLiteral("OK"));
    QCOMPARE(w->cmdSysInfo->text(), QStringLiteral("&System Info..."));
    QVERIFY(w->cmdOK->isDefault());

    // Fixed frame, client area 5865 x 4260 twips; no task-bar button of its own.
    QCOMPARE(w->size(), QSize(391, 284));
    QCOMPARE(w->minimumSize(), w->maximumSize());
    QCOMPARE(w->windowType(), Qt::Tool);
    QVERIFY(!(w->windowFlags() & Qt::WindowMinMaxButtonsHint));

    // The program's icon at 48 x 48, the same picture the resources hold.
    QVERIFY(!w->picIcon->pixmap().isNull());
    QCOMPARE(w->picIcon->pixmap().size(), QSize(48, 48));
    QCOMPARE(w->picIcon->size(), QSize(48, 48));
    QCOMPARE(w->picIcon->pixmap().toImage(), gearbookPixmap(48).toImage());

    // Centred on the screen.
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY((w->geometry().center() - centre).manhattanLength() <= 4);

    // Tab order: OK, then System Info.
    QCOMPARE(w->cmdOK->nextInFocusChain(), static_cast<QWidget*>(w->cmdSysInfo));

    // The system-information button runs StartSysInfo.
    w->cmdSysInfo->click();
    QCOMPARE(m_platform->messages(), QStringList{kUnavailable});
}

void TestAbout::okEnterAndEscDiscardTheWindow_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("OK") << 0;
    QTest::newRow("Enter") << 1;
    QTest::newRow("Esc") << 2;
    QTest::newRow("frame") << 3;
}

void TestAbout::okEnterAndEscDiscardTheWindow()
{
    QFETCH(int, how);
    frmAutoAbout::showAbout();
    QPointer<frmAutoAbout> w = frmAutoAbout::existing();
    QVERIFY(w);
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    switch (how) {
    case 0:
        w->cmdOK->click();
        break;
    case 1:
        QTest::keyClick(w, Qt::Key_Return);
        break;
    case 2:
        QTest::keyClick(w, Qt::Key_Escape);
        break;
    default:
        w->close();
        break;
    }
    QCOMPARE(frmAutoAbout::existing(), nullptr);
    QTRY_VERIFY(w.isNull());
    QCOMPARE(m_platform->shown.size(), 0); // Enter pressed OK, not System Info

    // The next showing creates it anew.
    frmAutoAbout::showAbout();
    QVERIFY(frmAutoAbout::existing());
    QVERIFY(frmAutoAbout::existing()->isVisible());
}

void TestAbout::showingAgainReusesTheWindow()
{
    frmAutoAbout::showAbout();
    frmAutoAbout* first = frmAutoAbout::existing();
    first->move(first->pos() + QPoint(20, 20)); // the user moved it
    const QPoint moved = first->pos();
    frmAutoAbout::showAbout();
    QCOMPARE(frmAutoAbout::existing(), first);
    QCOMPARE(first->pos(), moved);
    QVERIFY(first->isVisible());
}

GEARBOOK_TEST_MAIN(TestAbout)
#include "tst_about.moc"
