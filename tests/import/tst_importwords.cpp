#include "TestEnvironment.h"
#include "import/ImportMapping.h"
#include "import/ImportWords.h"

#include <QTest>

// The words over spreadsheet columns, and the fields they fill.
class TestImportWords : public QObject {
    Q_OBJECT

    using Kind = ImportMapping::Kind;

private slots:
    // One word, one field: a word listed twice for one kind must name the same field.
    void everyWordOneField()
    {
        for (Kind kind : {Kind::Vehicles, Kind::Maintenance, Kind::Parts}) {
            QHash<QString, int> seen;
            for (const ImportWords::Word& w : ImportWords::table()) {
                if (w.kind != kind)
                    continue;
                for (const QString& word : w.words.split('|')) {
                    const QString n = ImportWords::normalized(word);
                    QVERIFY2(!n.isEmpty(), qPrintable(word));
                    QVERIFY2(seen.value(n, w.target) == w.target,
                             qPrintable(ImportMapping::kindName(kind) + ": " + word));
                    seen.insert(n, w.target);
                }
            }
        }
    }

    void headersFindTheirFields_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("headers");
        QTest::addColumn<QString>("fields");
        const auto row = [](const char* name, Kind kind, const char* headers, const char* fields) {
            QTest::newRow(name) << kind << QString::fromUtf8(headers) << QString::fromUtf8(fields);
        };
        row("units in brackets", Kind::Maintenance, "Service|Odometer (km)|Next due (km)|Next due|Date [dd.mm.yyyy]",
            "Maintenance|Mileage last inspection|Mileage Next Inspection|Next Inspection date|Last Inspection date");
        row("next service", Kind::Maintenance, "Task|Next Service Mileage|Next Service Date|Serviced by",
            "Maintenance|Mileage Next Inspection|Next Inspection date|Location Inspected");
        row("German", Kind::Maintenance, "Datum|Wartung|Kilometerstand|Werkstatt|Kosten|Bemerkung",
            "Last Inspection date|Maintenance|Mileage last inspection|Location Inspected|Add to Notes|Notes");
        row("French", Kind::Maintenance, "Date|Intervention|Kilométrage|Garage|Prochaine date|Remarques",
            "Last Inspection date|Maintenance|Mileage last inspection|Location Inspected|Next Inspection date|Notes");
        row("Spanish", Kind::Maintenance, "Fecha|Servicio|Kilometraje|Taller|Observaciones",
            "Last Inspection date|Maintenance|Mileage last inspection|Location Inspected|Notes");
        row("Italian", Kind::Maintenance, "Data|Intervento|Chilometraggio|Officina|Scadenza|Note",
            "Last Inspection date|Maintenance|Mileage last inspection|Location Inspected|Next Inspection date|Notes");
        row("Dutch", Kind::Maintenance, "Datum|Onderhoud|Kilometerstand|Garage|Opmerkingen",
            "Last Inspection date|Maintenance|Mileage last inspection|Location Inspected|Notes");
        row("vehicles", Kind::Vehicles, "Make|Model|Year|Colour|VIN|Mileage at purchase",
            "Make|Model|Year|Color|Add to Notes|Original Mileage");
        row("German vehicles", Kind::Vehicles, "Hersteller|Modell|Baujahr|Farbe|Kaufdatum",
            "Make|Model|Year|Color|Date Purchased");
        row("German parts", Kind::Parts, "Teil|Hersteller|Teilenummer|Anzahl|Lieferant|Datum",
            "Part|Brand/Manufacturer|Size/Specs|# of Parts|Location Purchased|Date Purchased");
    }
    void headersFindTheirFields()
    {
        QFETCH(Kind, kind);
        QFETCH(QString, headers);
        QFETCH(QString, fields);
        const QStringList h = headers.split('|');
        QCOMPARE(ImportMapping::guessKind(h), kind);
        const ImportMapping::Mapping m = ImportMapping::prefilled(kind, h);
        QStringList got;
        for (int target : m.columns)
            got << ImportMapping::caption(kind, target);
        QCOMPARE(got.join('|'), fields);
    }

    // LubeLogger's service records and supplies, known by their headers without being told the kind.
    void lubeLoggerExports_data()
    {
        QTest::addColumn<QString>("headers");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("fields");
        QTest::newRow("service records")
            << "Date,Description,Cost,Notes,Odometer,Tags,extrafield_Invoice" << Kind::Maintenance
            << "Last Inspection date|Maintenance|Add to Notes|Notes|Mileage last inspection|Add to Notes|Add to Notes";
        QTest::newRow("supplies") << "Date,PartNumber,PartSupplier,PartQuantity,Description,Notes,Cost,Tags"
                                  << Kind::Parts
                                  << "Date Purchased|Size/Specs|Location Purchased|# of Parts|Part|Notes|Add to "
                                     "Notes|Add to Notes";
    }
    void lubeLoggerExports()
    {
        QFETCH(QString, headers);
        QFETCH(Kind, kind);
        QFETCH(QString, fields);
        const auto m = ImportMapping::lubeLogger(headers.split(','));
        QVERIFY(m);
        QCOMPARE(m->kind, kind);
        QStringList got;
        for (int target : m->columns)
            got << ImportMapping::caption(kind, target);
        QCOMPARE(got.join('|'), fields);
        QVERIFY(!ImportMapping::lubeLogger((headers + ",Other").split(',')));
    }
};

GEARBOOK_TEST_MAIN(TestImportWords)
#include "tst_importwords.moc"
