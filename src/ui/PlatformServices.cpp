#include "PlatformServices.h"

#include "modGlobalVars.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>

namespace {

class NoRegistry final : public Registry {
public:
    bool openKey(quint32, const QString&, quint32, Handle*) override { return false; }
    bool queryValue(Handle, const QString&, Value*) override { return false; }
    void closeKey(Handle) override {}
};

QWidget* dialogParent()
{
    return QApplication::activeWindow();
}

class QtPlatformServices final : public PlatformServices {
public:
    MsgAnswer messageBox(const QString& text, const QString& title, MsgButtons buttons, MsgIcon icon) override
    {
        QMessageBox box(dialogParent());
        box.setWindowTitle(title.isEmpty() ? modGlobalVars::ApplicationTitle : title);
        box.setText(text);
        switch (icon) {
        case MsgIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case MsgIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MsgIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MsgIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        }
        if (buttons == MsgButtons::YesNo) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
            box.setEscapeButton(QMessageBox::No);
            return box.exec() == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
        }
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return MsgAnswer::Ok;
    }

    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override
    {
        QInputDialog dialog(dialogParent());
        dialog.setWindowTitle(title.isEmpty() ? modGlobalVars::ApplicationTitle : title);
        dialog.setLabelText(prompt);
        dialog.setTextValue(defaultText);
        return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
    }

    std::optional<QString> openFileDialog(const QString& filter, const QString& initialFileName,
                                          const QString& title) override
    {
        const QString qtFilter = qtFilterFromPipeFilter(filter);
        const QString first = qtFilter.section(QStringLiteral(";;"), 0, 0);
        QString selected = first;
        const QString path = QFileDialog::getOpenFileName(dialogParent(), title, initialFileName, qtFilter, &selected);
        if (path.isNull())
            return std::nullopt;
        return path;
    }

    bool printImage(const QImage& image, QString* error) override
    {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull()) {
            if (error)
                *error = QStringLiteral("No printer is installed.");
            return false;
        }
        QPrinter printer(info, QPrinter::HighResolution);
        QPainter painter;
        if (!printer.isValid() || !painter.begin(&printer)) {
            if (error)
                *error = QStringLiteral("The printer \"%1\" could not be opened.").arg(info.printerName());
            return false;
        }
        const QRect page = painter.viewport();
        QSize size = image.size();
        size.scale(page.size(), Qt::KeepAspectRatio);
        painter.setViewport(page.x(), page.y(), size.width(), size.height());
        painter.setWindow(image.rect());
        painter.drawImage(0, 0, image);
        const bool ok = painter.end();
        if (!ok && error)
            *error = QStringLiteral("Printing on \"%1\" failed.").arg(info.printerName());
        return ok;
    }

    bool startProgram(const QString& path, const QStringList& arguments) override
    {
        return QProcess::startDetached(path, arguments);
    }

    Registry& registry() override { return m_registry; }

private:
    NoRegistry m_registry;
};

PlatformServices* g_override = nullptr;

} // namespace

std::unique_ptr<PlatformServices> makeQtPlatformServices()
{
    return std::make_unique<QtPlatformServices>();
}

PlatformServices& platform()
{
    if (g_override)
        return *g_override;
    static const std::unique_ptr<PlatformServices> qt = makeQtPlatformServices();
    return *qt;
}

void setPlatform(PlatformServices* services)
{
    g_override = services;
}

QString qtFilterFromPipeFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            continue;
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns)
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*"); // files without an extension are files too
        // Qt reads the patterns from the parentheses that end the display name.
        QString name = parts[i].trimmed();
        const qsizetype open = name.lastIndexOf(QLatin1Char('('));
        if (name.endsWith(QLatin1Char(')')) && open > 0)
            name = name.left(open).trimmed();
        entries << QStringLiteral("%1 (%2)").arg(name, patterns.join(QLatin1Char(' ')));
    }
    return entries.join(QStringLiteral(";;"));
}
