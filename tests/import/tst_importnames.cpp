#include "TestEnvironment.h"
#include "import/ImportNames.h"

#include <QTest>

// Names offered for what a spreadsheet gives that cannot be stored as it is.
class TestImportNames : public QObject {
    Q_OBJECT

private slots:
    void nearestFileName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("nearest");
        const auto row = [](const char* name, const char* nearest) {
            QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(nearest);
        };
        row("T\u00DCV/HU", "T\u00DCV-HU");
        row("A/C service", "A-C service");
        row("Brakes?", "Brakes-");
        row("Oil\tchange\r\n", "Oil change");
        row("\u0160koda: \u0141\u00F3d\u017A", "\u0160koda- L\u00F3dz"); // Š and ó are kept: the files can store them
        row("\u65E5\u672C", "--");
        row("Oil change", "Oil change");
    }
    void nearestFileName()
    {
        QFETCH(QString, name);
        QFETCH(QString, nearest);
        QCOMPARE(ImportNames::nearestFileName(name), nearest);
    }

    void vehicleNames()
    {
        const QList<QStringList> rows = {{"Ford", "Focus", "2012"},
                                         {"VW", "Golf", "2015"},
                                         {"VW", "Golf", "2019"},
                                         {"Opel", "", "2001"},
                                         {"VW", "Golf", "2019"}};
        QCOMPARE(ImportNames::vehicleNames(rows),
                 QStringList({"Ford Focus", "VW Golf 2015", "VW Golf 2019", "Opel", "VW Golf 2019 (2)"}));
    }
};

GEARBOOK_TEST_MAIN(TestImportNames)
#include "tst_importnames.moc"
