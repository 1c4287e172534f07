#include "ListRows.h"
#include "SampleData.h"
#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "common/DataFolder.h"
#include "common/NameOrder.h"
#include "common/RecordFile.h"
#include "vehicles/EntryLog.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <memory>
#include <sys/stat.h>

namespace {

// Both logs of one vehicle in a window of their own, wired as the main window wires them.
struct Pages {
    struct Page {
        QListView* list = nullptr;
        QPushButton* add = nullptr;
        QPushButton* rem = nullptr;
        QAction* addAction = nullptr;
        QAction* remAction = nullptr;
        QLabel* label = nullptr;
        QList<QWidget*> fields;
        EntryLog* log = nullptr;

        QString text(int i) const
        {
            if (auto* l = qobject_cast<QLineEdit*>(fields.at(i)))
                return l->text();
            return qobject_cast<QPlainTextEdit*>(fields.at(i))->toPlainText();
        }
        void type(int i, const QString& t) const
        {
            if (auto* l = qobject_cast<QLineEdit*>(fields.at(i)))
                l->setText(t);
            else
                qobject_cast<QPlainTextEdit*>(fields.at(i))->setPlainText(t);
        }
        bool fieldsEnabled() const
        {
            return std::all_of(fields.cbegin(), fields.cend(), [](QWidget* f) { return f->isEnabled(); });
        }
        bool fieldsDisabled() const
        {
            return std::none_of(fields.cbegin(), fields.cend(), [](QWidget* f) { return f->isEnabled(); });
        }
        bool fieldsEmpty() const
        {
            for (int i = 0; i < fields.size(); ++i)
                if (!text(i).isEmpty())
                    return false;
            return true;
        }
        void select(const QString& name) const { ListRows::select(list, name); }
    };

    QWidget window;
    QString vehicle = QStringLiteral("Van");
    QStringList vehicles{QStringLiteral("Van")};
    Page maint, parts;

    Pages()
    {
        auto* row = new QHBoxLayout(&window);
        build(maint, EntryLogKind::maintenance(), {5}, row);
        build(parts, EntryLogKind::parts(), {4, 7}, row);
        maint.log->setSibling(parts.log);
        parts.log->setSibling(maint.log);
        // As the main window does after choosing a vehicle.
        for (Page* p : {&maint, &parts}) {
            p->log->LoadList();
            p->list->setEnabled(true);
            p->add->setEnabled(true);
            p->log->resetToNoEntry();
        }
    }

    // The logs go first: fields torn down with the window must not save into them.
    ~Pages()
    {
        delete maint.log;
        delete parts.log;
    }

    void build(Page& p, const EntryLogKind& kind, QList<int> multiline, QHBoxLayout* row)
    {
        auto* col = new QVBoxLayout;
        row->addLayout(col);
        p.list = new QListView;
        p.add = new QPushButton(kind.addTitle);
        p.rem = new QPushButton(kind.removeTitle);
        p.addAction = new QAction(kind.addTitle, &window);
        p.remAction = new QAction(kind.removeTitle, &window);
        p.label = new QLabel;
        for (QWidget* w : std::initializer_list<QWidget*>{p.list, p.add, p.rem, p.label})
            col->addWidget(w);
        for (int i = 0; i < kind.fieldCount; ++i) {
            QWidget* f = multiline.contains(i) ? static_cast<QWidget*>(new QPlainTextEdit)
                                               : static_cast<QWidget*>(new QLineEdit);
            if (auto* plain = qobject_cast<QPlainTextEdit*>(f))
                plain->setTabChangesFocus(true);
            f->setObjectName(QStringLiteral("f%1").arg(i));
            col->addWidget(f);
            p.fields << f;
        }
        for (QWidget* w : std::initializer_list<QWidget*>{p.list, p.add, p.rem})
            w->setEnabled(false);
        EntryLogHooks hooks;
        hooks.vehicle = [this] { return vehicle; };
        hooks.vehicles = [this] { return vehicles; };
        p.log = new EntryLog(kind, {p.list, p.add, p.rem, p.addAction, p.remAction, p.label, p.fields}, hooks, &window);
    }

    bool showAndFocus()
    {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
};

QString data(const QString& name)
{
    return VehicleFiles::inData(name);
}

QStringList dataFiles()
{
    return QDir(DataFolder::path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestEntryLog : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ScriptedPlatform> m_ui;

private slots:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_env->dataFolder();
        m_ui = std::make_unique<ScriptedPlatform>();
    }
    void cleanup()
    {
        m_ui.reset();
        m_env.reset();
    }

    void cancelOrBlanksAddNothing_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("cancel") << QString();
        QTest::newRow("blanks") << QStringLiteral("   ");
        QTest::newRow("tab") << QStringLiteral(" \t ");
    }
    void cancelOrBlanksAddNothing()
    {
        QFETCH(QString, answer);
        Pages p;
        m_ui->inputAnswers << answer;
        p.maint.add->click();
        QCOMPARE(m_ui->shown.size(), 1);
        QCOMPARE(m_ui->shown.first().text, QStringLiteral("Please type in a new maintenance to the database."));
        QCOMPARE(m_ui->shown.first().title, QStringLiteral("Add Maintenance"));
        QCOMPARE(ListRows::count(p.maint.list), 0);
        QCOMPARE(dataFiles(), QStringList());
        QVERIFY(p.maint.fieldsDisabled());
    }

    void addSelectsSortsAndWritesNoRecord()
    {
        writeAll(data("VanMaint.gbx"), "\"Tires\"\r\n\"brakes\"\r\n");
        Pages p;
        QCOMPARE(p.maint.log->names(), QStringList({"brakes", "Tires"}));

        m_ui->inputAnswers << QStringLiteral(" Oil change ");
        p.maint.addAction->setEnabled(true); // follows the button, whoever sets it
        p.maint.addAction->trigger();
        QCOMPARE(p.maint.log->names(), QStringList({" Oil change ", "brakes", "Tires"}));
        QCOMPARE(p.maint.list->currentIndex().data().toString(), QStringLiteral(" Oil change "));
        QCOMPARE(ListRows::selected(p.maint.list), QStringList({" Oil change "}));
        QCOMPARE(p.maint.label->text(), QStringLiteral(" Oil change "));
        QCOMPARE(p.maint.log->current(), QStringLiteral(" Oil change "));
        QVERIFY(p.maint.fieldsEnabled());
        QVERIFY(p.maint.fieldsEmpty());
        QVERIFY(p.maint.rem->isEnabled());
        QVERIFY(p.maint.remAction->isEnabled());
        QCOMPARE(readAll(data("VanMaint.gbx")), QByteArray("\" Oil change \"\r\n\"brakes\"\r\n\"Tires\"\r\n"));
        QCOMPARE(dataFiles(), QStringList({"VanMaint.gbx"}));

        // The first save names the record with the blanks kept.
        p.maint.log->SaveRecord();
        QCOMPARE(readAll(data("Van Oil change .gbx")), QByteArray("\"\",\"\",\"\",\"\",\"\",\"\"\r\n"));
    }

    void addOverOrphanRecordShowsEmptyFields()
    {
        // A record left behind by an entry no longer listed is not shown for a new entry of that name.
        writeAll(data("VanParts.gbx"), "\"Filter\"\r\n");
        writeAll(data("VanBelt.gbx"), "\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\"\r\n");
        Pages p;
        m_ui->inputAnswers << QStringLiteral("Belt");
        p.parts.add->click();
        QCOMPARE(m_ui->shown.first().text, QStringLiteral("Please type in a new Part to add to the database."));
        QCOMPARE(m_ui->shown.first().title, QStringLiteral("Add Part"));
        QVERIFY(p.parts.fieldsEmpty());
        QCOMPARE(readAll(data("VanParts.gbx")), QByteArray("\"Belt\"\r\n\"Filter\"\r\n"));
    }

    void unsortedListFileShownSortedAndWrittenSorted()
    {
        writeAll(data("VanParts.gbx"), "\"wiper\"\r\n\"Air filter\"\r\n\"belt\"\r\n\"Battery\"\r\n");
        Pages p;
        QCOMPARE(p.parts.log->names(), QStringList({"Air filter", "Battery", "belt", "wiper"}));
        p.parts.select("belt");
        m_ui->messageAnswers << MsgAnswer::Yes;
        p.parts.rem->click();
        QCOMPARE(readAll(data("VanParts.gbx")), QByteArray("\"Air filter\"\r\n\"Battery\"\r\n\"wiper\"\r\n"));
    }

    void selectingLoadsRecord()
    {
        writeAll(data("VanMaint.gbx"), "\"Oil\"\r\n\"Tires\"\r\n");
        writeAll(data("VanOil.gbx"), "\"1/2/03\",\"2/2/04\",\"1000\",\"5000\",\"Shop, Main St\",\"ok\"\r\n");
        Pages p;
        p.maint.select("Oil");
        QCOMPARE(p.maint.text(0), QStringLiteral("1/2/03"));
        QCOMPARE(p.maint.text(4), QStringLiteral("Shop, Main St"));
        QCOMPARE(p.maint.text(5), QStringLiteral("ok"));
        QCOMPARE(p.maint.label->text(), QStringLiteral("Oil"));
        QVERIFY(p.maint.fieldsEnabled());
        // An entry without a record shows empty fields.
        p.maint.select("Tires");
        QVERIFY(p.maint.fieldsEmpty());
        QCOMPARE(p.maint.log->current(), QStringLiteral("Tires"));
    }

    void shortOrLongRecords_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QStringList>("expected");
        const QStringList none(8);
        QTest::newRow("six values") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"6\"\r\n") << none;
        QTest::newRow("seven values") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\"\r\n") << none;
        QTest::newRow("empty file") << QByteArray() << none;
        QTest::newRow("nine values") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\",\"9\"\r\n")
                                     << QStringList({"1", "2", "3", "4", "5", "6", "7", "8"});
    }
    void shortOrLongRecords()
    {
        QFETCH(QByteArray, record);
        QFETCH(QStringList, expected);
        writeAll(data("VanParts.gbx"), "\"Pump\"\r\n\"Hose\"\r\n");
        writeAll(data("VanHose.gbx"), "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\",\"g\",\"h\"\r\n");
        writeAll(data("VanPump.gbx"), record);
        Pages p;
        p.parts.select("Hose"); // fills the fields; selecting Pump must empty them
        p.parts.select("Pump");
        for (int i = 0; i < 8; ++i)
            QCOMPARE(p.parts.text(i), expected.at(i));
        QVERIFY(p.parts.fieldsEnabled());
    }

    void leavingFieldsSaves()
    {
        writeAll(data("VanMaint.gbx"), "\"Oil\"\r\n");
        writeAll(data("VanOil.gbx"), "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\"\r\n");
        Pages p;
        QVERIFY(p.showAndFocus());
        p.maint.select("Oil");
        QFile::remove(data("VanOil.gbx"));
        QSignalSpy saved(p.maint.log, &EntryLog::recordSaved);

        // Leaving a field without a change still writes all six values.
        p.maint.fields.at(0)->setFocus();
        QVERIFY(p.maint.fields.at(0)->hasFocus());
        QCOMPARE(saved.size(), 0);
        QTest::keyClick(p.maint.fields.at(0), Qt::Key_Tab);
        QVERIFY(p.maint.fields.at(1)->hasFocus());
        QCOMPARE(saved.size(), 1);
        QCOMPARE(readAll(data("VanOil.gbx")), QByteArray("\"a\",\"b\",\"c\",\"d\",\"e\",\"f\"\r\n"));

        // Typing and tabbing on: one write per field left.
        QTest::keyClick(p.maint.fields.at(1), Qt::Key_End); // tabbing in selected the whole text
        QTest::keyClicks(p.maint.fields.at(1), "X");
        QTest::keyClick(p.maint.fields.at(1), Qt::Key_Tab);
        QCOMPARE(saved.size(), 2);
        QCOMPARE(readAll(data("VanOil.gbx")), QByteArray("\"a\",\"bX\",\"c\",\"d\",\"e\",\"f\"\r\n"));
    }

    void multiLineValuesRoundTrip()
    {
        writeAll(data("VanMaint.gbx"), "\"Oil\"\r\n");
        writeAll(data("VanParts.gbx"), "\"Tire\"\r\n");
        Pages p;
        p.maint.select("Oil");
        p.maint.type(5, QStringLiteral("line one\nline two, with comma\n"));
        p.maint.log->SaveRecord();
        QCOMPARE(readAll(data("VanOil.gbx")),
                 QByteArray("\"\",\"\",\"\",\"\",\"\",\"line one\r\nline two, with comma\r\n\"\r\n"));

        p.parts.select("Tire");
        p.parts.type(4, QStringLiteral("205/55 R16\n91V"));
        p.parts.type(7, QStringLiteral("front\nleft"));
        p.parts.type(5, QStringLiteral("3/4/05"));
        p.parts.log->SaveRecord();
        QCOMPARE(readAll(data("VanTire.gbx")),
                 QByteArray("\"\",\"\",\"\",\"\",\"205/55 R16\r\n91V\",\"3/4/05\",\"\",\"front\r\nleft\"\r\n"));

        // Selecting again shows them whole.
        writeAll(data("VanParts.gbx"), "\"Tire\"\r\n\"Wheel\"\r\n");
        p.parts.log->clearList();
        p.parts.log->LoadList();
        p.parts.select("Wheel");
        p.parts.select("Tire");
        QCOMPARE(p.parts.text(4), QStringLiteral("205/55 R16\n91V"));
        QCOMPARE(p.parts.text(7), QStringLiteral("front\nleft"));
        p.maint.log->clearList();
        p.maint.log->LoadList();
        p.maint.select("Oil");
        QCOMPARE(p.maint.text(5), QStringLiteral("line one\nline two, with comma\n"));
    }

    void quoteInValueKeepsTheRecordWhole()
    {
        writeAll(data("VanMaint.gbx"), "\"Oil\"\r\n");
        Pages p;
        p.maint.select("Oil");
        p.maint.type(0, QStringLiteral("say \"hi\", then"));
        p.maint.type(1, QStringLiteral("next"));
        p.maint.log->SaveRecord();
        const auto back = RecordFile::parseTextRecord(readAll(data("VanOil.gbx")), 6);
        QVERIFY(back);
        QCOMPARE(back->at(0), QStringLiteral("say \u201Dhi\u201D, then"));
        QCOMPARE(back->at(1), QStringLiteral("next"));
    }

    void clickingAnotherEntrySavesTheOldOneFirst()
    {
        writeAll(data("VanMaint.gbx"), "\"Brakes\"\r\n\"Oil\"\r\n");
        writeAll(data("VanOil.gbx"), "\"o1\",\"o2\",\"o3\",\"o4\",\"o5\",\"o6\"\r\n");
        Pages p;
        QVERIFY(p.showAndFocus());
        p.maint.select("Brakes");
        p.maint.fields.at(4)->setFocus();
        QTest::keyClicks(p.maint.fields.at(4), "Main St");

        QTest::mouseClick(p.maint.list->viewport(), Qt::LeftButton, {}, ListRows::centre(p.maint.list, "Oil"));
        QCOMPARE(p.maint.log->current(), QStringLiteral("Oil"));
        QCOMPARE(readAll(data("VanBrakes.gbx")), QByteArray("\"\",\"\",\"\",\"\",\"Main St\",\"\"\r\n"));
        QCOMPARE(p.maint.text(4), QStringLiteral("o5"));
        QCOMPARE(readAll(data("VanOil.gbx")), QByteArray("\"o1\",\"o2\",\"o3\",\"o4\",\"o5\",\"o6\"\r\n"));
    }

    void selectionByProgramKeepsTheEditInProgress()
    {
        writeAll(data("VanMaint.gbx"), "\"Brakes\"\r\n\"Oil\"\r\n");
        Pages p;
        QVERIFY(p.showAndFocus());
        p.maint.select("Brakes");
        p.maint.fields.at(2)->setFocus();
        QTest::keyClicks(p.maint.fields.at(2), "1200");
        p.maint.select("Oil"); // the field keeps the focus
        QCOMPARE(readAll(data("VanBrakes.gbx")), QByteArray("\"\",\"\",\"1200\",\"\",\"\",\"\"\r\n"));
        QVERIFY(p.maint.fieldsEmpty());
        QVERIFY(!QFile::exists(data("VanOil.gbx")));
    }

    void removeNeverSavedEntry()
    {
        writeAll(data("VanMaint.gbx"), "\"Oil\"\r\n\"Tires\"\r\n");
        Pages p;
        p.maint.select("Tires");
        m_ui->messageAnswers << MsgAnswer::Yes;
        p.maint.rem->click();
        QCOMPARE(m_ui->shown.size(), 1);
        const auto& asked = m_ui->shown.first();
        QCOMPARE(asked.text, QStringLiteral("You are about to remove Tires. Are you sure you want to do this?"));
        QCOMPARE(asked.title, QStringLiteral("Remove Maintenance"));
        QCOMPARE(asked.buttons, MsgButtons::YesNo);
        QCOMPARE(asked.icon, MsgIcon::None);
        QCOMPARE(p.maint.log->names(), QStringList({"Oil"}));
        QCOMPARE(readAll(data("VanMaint.gbx")), QByteArray("\"Oil\"\r\n"));
        QCOMPARE(p.maint.label->text(), QStringLiteral("Please select maintenance"));
        QVERIFY(p.maint.fieldsDisabled());
        QVERIFY(!p.maint.rem->isEnabled());
        QVERIFY(!p.maint.remAction->isEnabled());
        QVERIFY(ListRows::selected(p.maint.list).isEmpty());
        QVERIFY(p.maint.log->current().isEmpty());

        // The last entry: the list file stays, empty.
        p.maint.select("Oil");
        m_ui->messageAnswers << MsgAnswer::Yes;
        p.maint.remAction->trigger();
        QCOMPARE(ListRows::count(p.maint.list), 0);
        QVERIFY(QFile::exists(data("VanMaint.gbx")));
        QCOMPARE(readAll(data("VanMaint.gbx")), QByteArray());
    }

    void removeDeletesRecordAndNoChangesNothing()
    {
        writeAll(data("VanParts.gbx"), "\"Belt\"\r\n\"Hose\"\r\n");
        const QByteArray belt("\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\"\r\n");
        writeAll(data("VanBelt.gbx"), belt);
        Pages p;
        p.parts.select("Belt");
        m_ui->messageAnswers << MsgAnswer::No;
        p.parts.rem->click();
        QCOMPARE(m_ui->shown.first().title, QStringLiteral("Remove Part"));
        QCOMPARE(p.parts.log->names(), QStringList({"Belt", "Hose"}));
        QCOMPARE(readAll(data("VanBelt.gbx")), belt);
        QCOMPARE(readAll(data("VanParts.gbx")), QByteArray("\"Belt\"\r\n\"Hose\"\r\n"));
        QCOMPARE(p.parts.label->text(), QStringLiteral("Belt"));
        QVERIFY(p.parts.fieldsEnabled());

        m_ui->messageAnswers << MsgAnswer::Yes;
        p.parts.rem->click();
        QVERIFY(!QFile::exists(data("VanBelt.gbx")));
        QCOMPARE(readAll(data("VanParts.gbx")), QByteArray("\"Hose\"\r\n"));
        QCOMPARE(p.parts.label->text(), QStringLiteral("Please select a part"));
    }

    void removingWhileEditingDoesNotBringTheRecordBack()
    {
        writeAll(data("VanMaint.gbx"), "\"Oil\"\r\n");
        Pages p;
        QVERIFY(p.showAndFocus());
        p.maint.select("Oil");
        p.maint.fields.at(0)->setFocus();
        QTest::keyClicks(p.maint.fields.at(0), "today");
        m_ui->messageAnswers << MsgAnswer::Yes;
        p.maint.remAction->trigger(); // F4: the focus stays in the field until it is disabled
        QVERIFY(!QFile::exists(data("VanOil.gbx")));
        QCOMPARE(dataFiles(), QStringList({"VanMaint.gbx"}));
    }

    void removingOneOfTwoSameNamesKeepsTheirRecord()
    {
        // Lists written before names were checked may hold a name twice; they share one record.
        writeAll(data("VanMaint.gbx"), "\"Oil\"\r\n\"Oil\"\r\n");
        writeAll(data("VanOil.gbx"), "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\"\r\n");
        Pages p;
        ListRows::selectRow(p.maint.list, 1);
        m_ui->messageAnswers << MsgAnswer::Yes;
        p.maint.rem->click();
        QCOMPARE(readAll(data("VanMaint.gbx")), QByteArray("\"Oil\"\r\n"));
        QVERIFY(QFile::exists(data("VanOil.gbx")));
    }

    void removalKeepsARecordAnotherVehicleNames()
    {
        // Old data: Van's " TruckOil" and Van Truck's "Oil" are one file.
        writeAll(data("VanMaint.gbx"), "\" TruckOil\"\r\n");
        writeAll(data("Van TruckMaint.gbx"), "\"Oil\"\r\n");
        writeAll(data("Van TruckOil.gbx"), "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\"\r\n");
        Pages p;
        p.vehicles << QStringLiteral("Van Truck");
        p.maint.select(" TruckOil");
        m_ui->messageAnswers << MsgAnswer::Yes;
        p.maint.rem->click();
        QCOMPARE(p.maint.log->names(), QStringList());
        QVERIFY(QFile::exists(data("Van TruckOil.gbx")));
    }

    void anUnreadableListIsNeverWritten()
    {
        writeAll(data("VanParts.gbx"), "\"Pump\"\r\n");
        QCOMPARE(::mkfifo(QFile::encodeName(data("VanMaint.gbx")).constData(), 0600), 0); // must not block
        Pages p;
        QCOMPARE(m_ui->messages().size(), 1);
        QVERIFY(m_ui->messages()[0].contains(data("VanMaint.gbx")));
        m_ui->inputAnswers << QStringLiteral("Oil");
        p.maint.add->click();
        QCOMPARE(m_ui->messages().size(), 2); // refused, saying why
        QCOMPARE(m_ui->inputAnswers.size(), 1);
        QVERIFY(!QFileInfo(data("VanMaint.gbx")).isFile());
        // The other list goes on as before.
        m_ui->inputAnswers.clear();
        m_ui->inputAnswers << QStringLiteral("Belt");
        p.parts.add->click();
        QCOMPARE(readAll(data("VanParts.gbx")), QByteArray("\"Belt\"\r\n\"Pump\"\r\n"));
    }

    // A record that cannot be read is set aside, told, and a save writes a new
    // one; what was set aside keeps its bytes.
    void anUnreadableRecordIsSetAside_data()
    {
        QTest::addColumn<QByteArray>("record"); // empty: a FIFO in its place
        QTest::newRow("a FIFO") << QByteArray();
        QTest::newRow("short record") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"6\"\r\n");
    }
    void anUnreadableRecordIsSetAside()
    {
        QFETCH(QByteArray, record);
        writeAll(data("VanParts.gbx"), "\"Pump\"\r\n");
        if (record.isEmpty())
            QCOMPARE(::mkfifo(QFile::encodeName(data("VanPump.gbx")).constData(), 0600), 0);
        else
            writeAll(data("VanPump.gbx"), record);
        Pages p;
        p.parts.select("Pump");
        QCOMPARE(m_ui->messages().size(), 1);
        QVERIFY(QFileInfo(data("VanPump.gbx.unreadable")).exists());
        if (!record.isEmpty()) {
            QVERIFY(m_ui->messages().first().contains(data("VanPump.gbx.unreadable")));
            QCOMPARE(readAll(data("VanPump.gbx.unreadable")), record);
        }
        p.parts.type(2, "Bosch");
        p.parts.log->SaveRecord();
        QCOMPARE(readAll(data("VanPump.gbx")), QByteArray("\"\",\"\",\"Bosch\",\"\",\"\",\"\",\"\",\"\"\r\n"));
        if (!record.isEmpty())
            QCOMPARE(readAll(data("VanPump.gbx.unreadable")), record);
    }

    void theVehicleListIsNobodysRecord()
    {
        SampleData(DataFolder::path()).vehicle("Main");
        Pages p;
        p.vehicle = QStringLiteral("Main");
        p.vehicles = {QStringLiteral("Main")};
        m_ui->inputAnswers << QStringLiteral("List");
        p.maint.add->click();
        QCOMPARE(p.maint.log->names(), QStringList());
        QCOMPARE(readAll(data("MainList.gbx")), QByteArray("\"Main\"\r\n"));
    }

    void refusedNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("onParts");
        QTest::newRow("maint list file") << QStringLiteral("Maint") << false;
        QTest::newRow("parts list file") << QStringLiteral("Parts") << true;
        QTest::newRow("picture file") << QStringLiteral("Pic") << false;
        QTest::newRow("same page") << QStringLiteral("Oil") << false;
        QTest::newRow("other page") << QStringLiteral("Oil") << true;
        QTest::newRow("other vehicle's file") << QStringLiteral(" Truck") << false;
        QTest::newRow("other vehicle's list") << QStringLiteral(" TruckParts") << true;
        QTest::newRow("other vehicle's entry") << QStringLiteral(" TruckBelt") << false;
        QTest::newRow("forbidden character") << QStringLiteral("a/b") << true;
    }
    void refusedNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, onParts);
        writeAll(data("VanMaint.gbx"), "\"Oil\"\r\n");
        writeAll(data("Van TruckParts.gbx"), "\"Belt\"\r\n");
        Pages p;
        p.vehicles = {QStringLiteral("Van"), QStringLiteral("Van Truck")};
        const Pages::Page& page = onParts ? p.parts : p.maint;
        const QStringList before = dataFiles();
        const QByteArray list = readAll(data("VanMaint.gbx"));

        m_ui->inputAnswers << name;
        page.add->click();
        QCOMPARE(m_ui->shown.size(), 2);
        QCOMPARE(m_ui->shown.at(1).kind, ScriptedPlatform::Kind::Message);
        QCOMPARE(m_ui->shown.at(1).title, page.log->kind().addTitle);
        QCOMPARE(page.log->names(), onParts ? QStringList() : QStringList({"Oil"}));
        QCOMPARE(dataFiles(), before);
        QCOMPARE(readAll(data("VanMaint.gbx")), list);
        QVERIFY(page.fieldsDisabled());
    }

    // On exFAT or a folder synced with Windows or macOS names that differ only
    // in case are one file: a new one is refused (names on disk are read as they are).
    void namesThatDifferOnlyInCaseAreRefused()
    {
        writeAll(data("VanMaint.gbx"), "\"Oil\"\r\n");
        Pages p;
        m_ui->inputAnswers << QStringLiteral("oil") << QStringLiteral("maint");
        p.maint.add->click();
        p.parts.add->click();
        QCOMPARE(m_ui->messages().size(), 2);
        for (const QString& told : m_ui->messages())
            QVERIFY2(told.contains("letter case"), qPrintable(told));
        QCOMPARE(readAll(data("VanMaint.gbx")), QByteArray("\"Oil\"\r\n"));
        QVERIFY(!QFileInfo::exists(data("VanParts.gbx")));
    }

    void failedSaveIsReportedOnceAndWorkGoesOn()
    {
        writeAll(data("VanMaint.gbx"), "\"Oil\"\r\n");
        Pages p;
        p.maint.select("Oil");
        QVERIFY(QDir().mkdir(data("VanOil.gbx"))); // a folder where the record should go
        p.maint.type(1, QStringLiteral("soon"));
        QSignalSpy saved(p.maint.log, &EntryLog::recordSaved);
        p.maint.log->SaveRecord();
        p.maint.log->SaveRecord();
        QCOMPARE(saved.size(), 0);
        QCOMPARE(m_ui->messages().size(), 1);
        QVERIFY(m_ui->messages().first().contains(QStringLiteral("VanOil.gbx")));
        QCOMPARE(p.maint.text(1), QStringLiteral("soon"));

        // Once the file can be written it is, and a later failure is reported again.
        QVERIFY(QDir().rmdir(data("VanOil.gbx")));
        p.maint.log->SaveRecord();
        QCOMPARE(saved.size(), 1);
        QCOMPARE(readAll(data("VanOil.gbx")), QByteArray("\"\",\"soon\",\"\",\"\",\"\",\"\"\r\n"));
    }

    void failedListWriteIsReportedAndTheEntryStays()
    {
        Pages p;
        QVERIFY(QDir().mkdir(data("VanParts.gbx"))); // after the load: a folder there is unreadable
        m_ui->inputAnswers << QStringLiteral("Belt");
        p.parts.add->click();
        QCOMPARE(m_ui->messages().size(), 1);
        QCOMPARE(p.parts.log->names(), QStringList({"Belt"}));
        QCOMPARE(p.parts.log->current(), QStringLiteral("Belt"));
        QVERIFY(p.parts.fieldsEnabled());
    }

    void menuEntriesFollowTheirButtons()
    {
        Pages p;
        QVERIFY(p.maint.addAction->isEnabled());
        QVERIFY(!p.maint.remAction->isEnabled());
        p.maint.add->setEnabled(false);
        QVERIFY(!p.maint.addAction->isEnabled());
        p.maint.remAction->setEnabled(true); // set on its own: the button decides
        QVERIFY(!p.maint.remAction->isEnabled());
        p.parts.rem->setEnabled(true);
        QVERIFY(p.parts.remAction->isEnabled());
        p.parts.rem->setEnabled(false);
        QVERIFY(!p.parts.remAction->isEnabled());
    }

    void sortingIgnoresCase()
    {
        QVERIFY(NameOrder::lessThan("apple", "Banana"));
        QVERIFY(!NameOrder::lessThan("Banana", "apple"));
        QVERIFY(!NameOrder::lessThan("oil", "Oil"));
        Pages p;
        m_ui->inputAnswers << "b"
                           << "C"
                           << "a"
                           << "Ba";
        for (int i = 0; i < 4; ++i)
            p.maint.add->click();
        QCOMPARE(p.maint.log->names(), QStringList({"a", "b", "Ba", "C"}));
        QCOMPARE(RecordFile::parseListFile(readAll(data("VanMaint.gbx"))), QStringList({"a", "b", "Ba", "C"}));
    }
};

GEARBOOK_TEST_MAIN(TestEntryLog)
#include "tst_entrylog.moc"
