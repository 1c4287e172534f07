// The printing module's entry: the program reaches Qt's print support only through this.
#include "ui/PrinterInterface.h"

#include <QObject>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

class PrinterPlugin : public QObject, public PrinterInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID PrinterInterface_iid)
    Q_INTERFACES(PrinterInterface)

public:
    bool printImage(const QImage& image, QString* error) override
    {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull()) {
            *error = NoPrinterReason;
            return false;
        }
        QPrinter printer(info, QPrinter::HighResolution);
        QPainter painter;
        if (!printer.isValid() || !painter.begin(&printer)) {
            *error = QStringLiteral("The printer \"%1\" could not be opened.").arg(info.printerName());
            return false;
        }
        const QRect page = painter.viewport();
        QSize size = image.size();
        size.scale(page.size(), Qt::KeepAspectRatio);
        painter.setViewport(page.x(), page.y(), size.width(), size.height());
        painter.setWindow(image.rect());
        painter.drawImage(0, 0, image);
        if (painter.end())
            return true;
        *error = QStringLiteral("Printing on \"%1\" failed.").arg(info.printerName());
        return false;
    }
};

#include "PrinterPlugin.moc"
