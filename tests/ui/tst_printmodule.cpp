#include "MappedLibrary.h"
#include "TestEnvironment.h"
#include "ui/Module.h"
#include "ui/PlatformServices.h"
#include "ui/PrinterInterface.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

// Printing as it ships: Qt's print support is the module beside the program,
// loaded at the first print command.
class TestPrintModule : public QObject {
    Q_OBJECT

private slots:
    // No print server is reachable: whatever a developer's machine has, the test never prints a page.
    void initTestCase() { qputenv("CUPS_SERVER", QFile::encodeName(m_dir.filePath(QStringLiteral("no-server")))); }

    // Run first: a module that loaded stays loaded for the rest of the process.
    void missingModuleIsReported()
    {
        Module::setFolder(m_dir.path());
        QString error;
        QVERIFY(!makeQtPlatformServices()->printImage(QImage(8, 8, QImage::Format_RGB32), &error));
        QVERIFY2(error.contains(m_dir.filePath(PrinterModuleFileName)), qPrintable(error));
        QVERIFY(!libraryMapped("libQt6PrintSupport"));
    }

    void printsThroughTheModule()
    {
        Module::setFolder(QStringLiteral(GEARBOOK_STAGE_DIR));
        QString error;
        QVERIFY(!makeQtPlatformServices()->printImage(QImage(8, 8, QImage::Format_RGB32), &error));
        // The printer's own reason, from the module's code, not a module that failed.
        QVERIFY2(!error.isEmpty() && !error.contains(PrinterModuleFileName), qPrintable(error));
        QVERIFY(libraryMapped("libQt6PrintSupport"));
    }

private:
    QTemporaryDir m_dir;
};

GEARBOOK_TEST_MAIN(TestPrintModule)
#include "tst_printmodule.moc"
