#include "app/DueDatesMenu.h"

#include "remind/DueCalendar.h"
#include "ui/PlatformServices.h"
#include "vehicles/frmAutoMain.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QStandardPaths>

namespace DueDatesMenu {

namespace {

const QString Title = QStringLiteral("Export Due Dates");

} // namespace

void addTo(frmAutoMain* main)
{
    const QString name = QStringLiteral("mnuExportDueDates");
    if (main->findChild<QAction*>(name, Qt::FindDirectChildrenOnly))
        return;
    auto* action = new QAction(QStringLiteral("Export &Due Dates..."), main);
    action->setObjectName(name);
    main->mnuFile->insertAction(main->mnuHyphen1, action);
    QObject::connect(action, &QAction::triggered, main, [] { exportDueDates(); });
}

void exportDueDates()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    const auto chosen =
        platform().saveFileDialog(QStringLiteral("iCalendar Files (*.ics)|*.ics|All Files (*.*)|*.*"),
                                  QDir(folder).filePath(QStringLiteral("Gearbook due dates.ics")), Title);
    if (!chosen)
        return;
    const QString path = DueCalendar::withExtension(*chosen);
    // The dialog asked about the name without it, not this one.
    if (path != *chosen && QFileInfo::exists(path) &&
        platform().messageBox(
            QStringLiteral("\"%1\" already exists. Do you want to replace it?").arg(QDir::toNativeSeparators(path)),
            Title, MsgButtons::YesNo) != MsgAnswer::Yes)
        return;
    DueCalendar::Outcome result;
    {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
        result = DueCalendar::exportTo(path, QDate::currentDate());
    }
    if (!result) {
        platform().messageBox(QStringLiteral("The due dates could not be exported.\n\n%1").arg(result.error), Title,
                              MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    if (!result.unreadable.isEmpty())
        platform().messageBox(QStringLiteral("The due dates have been written to \"%1\", but %2 records could not be "
                                             "read; their dates are missing.")
                                  .arg(QDir::toNativeSeparators(path))
                                  .arg(result.unreadable.size()),
                              Title, MsgButtons::Ok, MsgIcon::Warning);
    else if (result.events == 0)
        platform().messageBox(QStringLiteral("No maintenance entry has a next inspection date yet, so \"%1\" holds no "
                                             "events.")
                                  .arg(QDir::toNativeSeparators(path)),
                              Title, MsgButtons::Ok, MsgIcon::Information);
}

} // namespace DueDatesMenu
