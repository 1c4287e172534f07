#include "ui/PlatformServices.h"

#include "common/modGlobalVars.h"
#include "ui/Module.h"
#include "ui/PrinterInterface.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSortFilterProxyModel>

#include <algorithm>

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

// Programs on Linux carry no ".exe": while the "*.exe" filter is chosen the
// dialog shows the files the user may execute, and folders to reach them.
class ExecutableFilter final : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setExecutablesOnly(bool on)
    {
        if (m_on == on)
            return;
        m_on = on;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!m_on || !files)
            return true;
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return info.isDir() || info.isExecutable();
    }

private:
    bool m_on = false;
};

bool isExecutableFilter(const QString& qtFilter)
{
    return qtFilter.endsWith(QLatin1String("(*.exe)"));
}

// Follows the chosen filter: "*.exe" lets every name through to the executable test.
void applyFilter(ExecutableFilter* proxy, const QString& chosen)
{
    const bool executables = isExecutableFilter(chosen);
    proxy->setExecutablesOnly(executables);
    if (executables)
        if (auto* files = qobject_cast<QFileSystemModel*>(proxy->sourceModel()))
            files->setNameFilters({QStringLiteral("*")});
}

class QtPlatformServices final : public PlatformServices {
    static void prepare(QMessageBox& box, const QString& text, const QString& title, MsgIcon icon)
    {
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
    }

public:
    MsgAnswer messageBox(const QString& text, const QString& title, MsgButtons buttons, MsgIcon icon) override
    {
        QMessageBox box(dialogParent());
        prepare(box, text, title, icon);
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

    int messageBox(const QString& text, const QString& title, const QStringList& buttons, MsgIcon icon) override
    {
        QMessageBox box(dialogParent());
        prepare(box, text, title, icon);
        QList<QAbstractButton*> added;
        for (const QString& caption : buttons)
            added << box.addButton(caption, QMessageBox::ActionRole);
        if (added.isEmpty())
            added << box.addButton(QMessageBox::Ok);
        box.setDefaultButton(qobject_cast<QPushButton*>(added.last()));
        box.setEscapeButton(added.last());
        box.exec();
        const auto chosen = added.indexOf(box.clickedButton());
        return chosen < 0 ? int(added.size()) - 1 : int(chosen);
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
        const std::unique_ptr<QFileDialog> dialog = makeOpenFileDialog(filter, initialFileName, title);
        if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
            return std::nullopt;
        return dialog->selectedFiles().constFirst();
    }

    std::optional<QString> saveFileDialog(const QString& filter, const QString& initialPath,
                                          const QString& title) override
    {
        const QString qtFilter = qtFilterFromPipeFilter(filter);
        QString selected = qtFilter.section(QStringLiteral(";;"), 0, 0);
        const QString path = QFileDialog::getSaveFileName(dialogParent(), title, initialPath, qtFilter, &selected);
        if (path.isEmpty())
            return std::nullopt;
        return path;
    }

    std::optional<QString> chooseFolderDialog(const QString& initialFolder, const QString& title) override
    {
        const QString path = QFileDialog::getExistingDirectory(dialogParent(), title, initialFolder);
        if (path.isEmpty())
            return std::nullopt;
        return path;
    }

    bool printImage(const QImage& image, QString* error) override
    {
        static PrinterInterface* printer = nullptr; // the module stays loaded for the rest of the run
        const QString path = Module::folder() + QLatin1Char('/') + PrinterModuleFileName;
        QString reason;
        if (!printer)
            printer = Module::load<PrinterInterface>(path, QStringLiteral("Gearbook's printing module"), &reason);
        if (!printer)
            reason =
                QStringLiteral("The printing module \"%1\" is missing or could not be loaded.\n\n%2").arg(path, reason);
        else if (printer->printImage(image, &reason))
            return true;
        if (error)
            *error = reason;
        return false;
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

QString noPrinterReason()
{
    return NoPrinterReason;
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

std::unique_ptr<QFileDialog> makeOpenFileDialog(const QString& filter, const QString& initialFileName,
                                                const QString& title)
{
    auto dialog = std::make_unique<QFileDialog>(dialogParent(), title);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    const QString qtFilter = qtFilterFromPipeFilter(filter);
    dialog->setNameFilters(qtFilter.split(QStringLiteral(";;")));
    if (std::any_of(dialog->nameFilters().cbegin(), dialog->nameFilters().cend(), isExecutableFilter)) {
        // The executable test needs Qt's own dialog: a desktop's dialog filters by name only.
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        auto* proxy = new ExecutableFilter(dialog.get());
        dialog->setProxyModel(proxy);
        QFileDialog* d = dialog.get();
        QObject::connect(d, &QFileDialog::filterSelected, proxy,
                         [proxy](const QString& chosen) { applyFilter(proxy, chosen); });
    }
    const QString first = dialog->nameFilters().value(0);
    dialog->selectNameFilter(first);
    if (auto* proxy = dialog->findChild<ExecutableFilter*>())
        applyFilter(proxy, first);
    // The folder is read only now, under the filter's own rule from the start.
    // A folder is where to start: selecting it as a file would start in its parent, or at home.
    if (QFileInfo(initialFileName).isDir())
        dialog->setDirectory(initialFileName);
    else if (!initialFileName.isEmpty())
        dialog->selectFile(initialFileName);
    return dialog;
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
