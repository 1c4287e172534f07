// File > "Vehicle Report...": the save dialog and the messages around the
// report library, which reads the records and writes the PDF.

#include "HistoryReport.h"
#include "PlatformServices.h"
#include "frmAutoMain.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QStandardPaths>

void frmAutoMain::mnuReport_Click()
{
    const QString vehicle = selectedVehicle();
    if (vehicle.isEmpty())
        return;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    const auto chosen = platform().saveFileDialog(QStringLiteral("PDF Files (*.pdf)|*.pdf|All Files (*.*)|*.*"),
                                                  QDir(folder).filePath(vehicle + QStringLiteral(" history.pdf")),
                                                  QStringLiteral("Vehicle Report"));
    if (!chosen)
        return;
    QString path = *chosen;
    if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        path += QStringLiteral(".pdf");
        // The dialog asked about the name without it, not this one.
        if (QFileInfo::exists(path) &&
            platform().messageBox(
                QStringLiteral("\"%1\" already exists. Do you want to replace it?").arg(QDir::toNativeSeparators(path)),
                QStringLiteral("Vehicle Report"), MsgButtons::YesNo) != MsgAnswer::Yes)
            return;
    }
    HistoryReport::Outcome result;
    {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
        result = HistoryReport::write(vehicle, path);
    }
    if (!result) {
        platform().messageBox(QStringLiteral("The report could not be written.\n\n%1").arg(result.error), QString(),
                              MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    if (!result.problems.isEmpty())
        platform().messageBox(QStringLiteral("The report has been written to \"%1\", but %2 of the vehicle's records "
                                             "could not be read; the report names them.")
                                  .arg(QDir::toNativeSeparators(path))
                                  .arg(result.problems.size()),
                              QStringLiteral("Vehicle Report"), MsgButtons::Ok, MsgIcon::Warning);
}
