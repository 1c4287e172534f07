// File > "Vehicle Report..." and "Print Page": the save dialogs and the
// messages around the report library, which reads the records and writes the
// PDF, and around the printer, or a PDF of the page when there is none.

#include "backup/BackupFiles.h"
#include "common/SafeFile.h"
#include "report/HistoryReport.h"
#include "ui/PlatformServices.h"
#include "ui/SaveMessages.h"
#include "vehicles/frmAutoMain.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QScopeGuard>

namespace {

// The save dialog for a PDF, proposing `name` where backups go; ".pdf" added to a name without it.
std::optional<QString> choosePdf(const QString& name, const QString& title)
{
    auto chosen = platform().saveFileDialog(QStringLiteral("PDF Files (*.pdf)|*.pdf|All Files (*.*)|*.*"),
                                            QDir(Backup::documentsFolder()).filePath(name), title);
    if (!chosen || chosen->endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        return chosen;
    const QString path = *chosen + QStringLiteral(".pdf");
    // The dialog asked about the name without it, not this one.
    if (QFileInfo::exists(path) &&
        platform().messageBox(
            QStringLiteral("\"%1\" already exists. Do you want to replace it?").arg(QDir::toNativeSeparators(path)),
            title, MsgButtons::YesNo) != MsgAnswer::Yes)
        return std::nullopt;
    return path;
}

// The page's image on one page of paper, as it would have been printed.
QByteArray pdfOf(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(HistoryReport::pageSizeFor(QLocale::system()));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setCreator(QStringLiteral("Venbry's Gearbook"));
    QPainter painter(&writer);
    const QSize size = image.size().scaled(QSize(writer.width(), writer.height()), Qt::KeepAspectRatio);
    painter.drawImage(QRect(QPoint(0, 0), size), image);
    painter.end();
    return bytes;
}

// Says where the PDF went, with "Open" to look at it there and then; "Close" leaves it.
void tellPdfWritten(const QString& path, int pages, const QString& title, const QString& more = QString())
{
    const QString text =
        QStringLiteral("Wrote %1 %2 to \"%3\".")
            .arg(pages)
            .arg(pages == 1 ? QStringLiteral("page") : QStringLiteral("pages"), QDir::toNativeSeparators(path)) +
        more;
    if (platform().messageBox(text, title, {QStringLiteral("Open"), QStringLiteral("Close")},
                              more.isEmpty() ? MsgIcon::Information : MsgIcon::Warning) == 0 &&
        !platform().startProgram(QStringLiteral("xdg-open"), {path}))
        platform().messageBox(QStringLiteral("No program to show PDF files could be started (xdg-open). The file "
                                             "is in \"%1\".")
                                  .arg(QDir::toNativeSeparators(path)),
                              title, MsgButtons::Ok, MsgIcon::Warning);
}

} // namespace

void frmAutoMain::cmdPrint_Click()
{
    const QImage page = centralwidget->grab().toImage();
    QString error;
    if (platform().printImage(page, &error))
        return;
    if (error != noPrinterReason()) {
        platform().messageBox(QStringLiteral("The page could not be printed.\n\n%1").arg(error), QString(),
                              MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    // Without a printer the page can still be kept.
    if (platform().messageBox(QStringLiteral("%1\n\nDo you want to save the page as a PDF file instead?").arg(error),
                              QString(), MsgButtons::YesNo, MsgIcon::Information) != MsgAnswer::Yes)
        return;
    const QString vehicle = selectedVehicle();
    const auto path =
        choosePdf(vehicle.isEmpty() ? QStringLiteral("Gearbook page.pdf") : vehicle + QStringLiteral(" page.pdf"),
                  QStringLiteral("Save Page as PDF"));
    if (path && reportSave(*path, writeFileSafely(*path, pdfOf(page), PrivateFile)))
        tellPdfWritten(*path, 1, QStringLiteral("Save Page as PDF"));
}

void frmAutoMain::mnuReport_Click()
{
    const QString vehicle = selectedVehicle();
    if (vehicle.isEmpty())
        return;
    const auto chosen = choosePdf(vehicle + QStringLiteral(" history.pdf"), QStringLiteral("Vehicle Report"));
    if (!chosen)
        return;
    const QString& path = *chosen;
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
    QString problems;
    if (!result.problems.isEmpty())
        problems = QStringLiteral("\n\n%1 of the vehicle's records could not be read; the report names them.")
                       .arg(result.problems.size());
    tellPdfWritten(path, result.pages, QStringLiteral("Vehicle Report"), problems);
}
