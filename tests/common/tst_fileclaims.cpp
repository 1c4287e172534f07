#include "TestEnvironment.h"
#include "common/DataFolder.h"
#include "common/FileClaims.h"

#include <QDir>
#include <QTest>

// Which records claim a file: every way old names can make two records one file.
class TestFileClaims : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;
    QString data;

private slots:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        data = env->dataFolder();
        // Car: maintenance "Pic", "Parts", "Oil" twice; parts "Maint", "Oil".
        writeAll(data + "CarMaint.gbx", "\"Oil\"\r\n\"Oil\"\r\n\"Parts\"\r\n\"Pic\"\r\n");
        writeAll(data + "CarParts.gbx", "\"Maint\"\r\n\"Oil\"\r\n");
        // Main: the entry "List" is the vehicle list. Ca: its entry "rPic" is Car's picture.
        writeAll(data + "MainMaint.gbx", "\"List\"\r\n");
        writeAll(data + "CaMaint.gbx", "\"rPic\"\r\n");
    }
    void cleanup() { env.reset(); }

    void everyClaimOnAFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("claims");
        QTest::newRow("one record") << "Car.gbx" << QStringList{"the vehicle file of \"Car\""};
        QTest::newRow("nobody") << "CarBelt.gbx" << QStringList{};
        QTest::newRow("entry Pic, and another vehicle's entry")
            << "CarPic.gbx"
            << QStringList{"the maintenance entry \"rPic\" of \"Ca\"", "the picture file of \"Car\"",
                           "the maintenance entry \"Pic\" of \"Car\""};
        QTest::newRow("entry Parts") << "CarParts.gbx"
                                     << QStringList{"the parts list of \"Car\"",
                                                    "the maintenance entry \"Parts\" of \"Car\""};
        QTest::newRow("part Maint") << "CarMaint.gbx"
                                    << QStringList{"the maintenance list of \"Car\"", "the part \"Maint\" of \"Car\""};
        QTest::newRow("entry and part, the entry twice")
            << "CarOil.gbx"
            << QStringList{"the maintenance entry \"Oil\" of \"Car\"", "the maintenance entry \"Oil\" of \"Car\"",
                           "the part \"Oil\" of \"Car\""};
        QTest::newRow("vehicle X and XMaint")
            << "XMaint.gbx" << QStringList{"the maintenance list of \"X\"", "the vehicle file of \"XMaint\""};
        QTest::newRow("vehicle Main, entry List")
            << "MainList.gbx" << QStringList{"the vehicle list", "the maintenance entry \"List\" of \"Main\""};
    }
    void everyClaimOnAFile()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, claims);
        const FileClaims fileClaims({"Ca", "Car", "Car", "Main", "X", "XMaint"}); // Car twice: one vehicle
        QStringList described;
        for (const FileClaims::Claim& c : fileClaims.claimsOf(file))
            described << c.described();
        QCOMPARE(described, claims);
    }

    void othersThanMineAndListsAsShown()
    {
        using Claim = FileClaims::Claim;
        FileClaims claims({"Car"});
        QVERIFY(claims.othersThan("Car.gbx", {Claim::Vehicle, "Car", {}}).isEmpty());
        QCOMPARE(claims.othersThan("CarOil.gbx", {Claim::Part, "Car", "Oil"}).size(), 2);
        // A name shown but not yet written claims its file too; a name gone from the page no more.
        claims.setList("CarParts.gbx", QStringList{"Belt"});
        QCOMPARE(claims.othersThan("CarBelt.gbx", {Claim::MaintEntry, "Car", "Belt"}).size(), 1);
        QVERIFY(claims.othersThan("CarMaint.gbx", {Claim::MaintList, "Car", {}}).isEmpty());
    }

    void aListThatCannotBeReadMayClaimAnything()
    {
        using Claim = FileClaims::Claim;
        QVERIFY(QFile::remove(data + "CaMaint.gbx"));
        QVERIFY(QDir().mkdir(data + "CaMaint.gbx"));
        QVERIFY(QDir().mkdir(data + "CaParts.gbx"));
        const FileClaims claims({"Ca", "Car"});
        const auto others = claims.othersThan("CarBelt.gbx", {Claim::MaintEntry, "Car", "Belt"});
        QCOMPARE(others.size(), 1); // once, though both of Ca's lists are asked
        QVERIFY(FileClaims::sharedMessage("CarBelt.gbx", {Claim::MaintEntry, "Car", "Belt"}, others)
                    .startsWith("The maintenance entry \"Belt\" of \"Car\" and perhaps a maintenance entry or part of "
                                "\"Ca\""));
        // Its own vehicle's unreadable list is that page's business.
        QVERIFY(claims.othersThan("CaBelt.gbx", {Claim::Part, "Ca", "Belt"}).isEmpty());
    }
};

GEARBOOK_TEST_MAIN(TestFileClaims)
#include "tst_fileclaims.moc"
