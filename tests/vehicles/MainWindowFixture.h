#pragma once

#include "ListRows.h"
#include "ScriptedPlatform.h"
#include "TestEnvironment.h"
#include "common/DataFolder.h"
#include "ui/ProgramEnd.h"
#include "vehicles/frmAutoMain.h"

#include <QTest>

#include <memory>

// A fresh data home, scripted dialogs and a shown, active main window for
// each test function; the program's end is counted instead of happening.
class MainWindowFixture : public QObject {
    Q_OBJECT

protected:
    using Shown = ScriptedPlatform::Shown;

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<ScriptedPlatform> dialogs;
    std::unique_ptr<frmAutoMain> w;
    int quits = 0;

    QString data(const QString& fileName) const { return DataFolder::path() + fileName; }

    // Opens the window; the data folder's files may be prepared before.
    bool open()
    {
        w = std::make_unique<frmAutoMain>();
        w->show();
        w->activateWindow();
        return QTest::qWaitForWindowActive(w.get());
    }

    // Adds a vehicle through the input box, as the user does.
    void add(const QString& name)
    {
        dialogs->inputAnswers.enqueue(name);
        w->cmdAddVehicle->click();
    }

    // Picks an entry of the selector, as the user does.
    void pick(const QString& name)
    {
        const int index = w->cboVehicle->findText(name, Qt::MatchExactly);
        QVERIFY(index >= 0);
        w->cboVehicle->setCurrentIndex(index);
        emit w->cboVehicle->activated(index);
    }

    static QList<QByteArray> fieldsOf(const QByteArray& record)
    {
        QByteArray line = record;
        if (line.endsWith("\r\n"))
            line.chop(2);
        return line.split(',');
    }

protected slots:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        dialogs = std::make_unique<ScriptedPlatform>();
        quits = 0;
        ProgramEnd::setHook([this] { ++quits; });
    }

    void cleanup()
    {
        w.reset();
        ProgramEnd::setHook({});
        dialogs.reset();
        env.reset();
    }
};

// The file of a vehicle with nothing entered yet: 13 empty texts, 4 false truth values.
inline const QByteArray EmptyVehicleRecord =
    "\"\",\"\",\"\",\"\",\"\",\"\",\"\",#FALSE#,#FALSE#,\"\",\"\",\"\",\"\",\"\",#FALSE#,#FALSE#,\"\"\r\n";
