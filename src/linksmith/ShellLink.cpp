#include "linksmith/ShellLink.h"

#include "common/AppId.h"
#include "common/SafeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace ShellLink {

namespace {

const QString ProgramsToken = QStringLiteral("$(Programs)");

bool sameToken(const QString& a, const QString& b)
{
    // Folder tokens come from a Windows setting, where names ignore case.
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

QString placeFolder(const QString& folder, const QString& base)
{
    if (!sameToken(base, ProgramsToken))
        return QString();
    QString result;
    if (sameToken(folder, ProgramsToken))
        result =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/applications");
    else if (sameToken(folder, QStringLiteral("..\\..\\Desktop")))
        result = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    else if (sameToken(folder, QStringLiteral("Startup")))
        result = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart");
    // An empty location would put the entry in the working folder.
    if (result.isEmpty() || !result.startsWith(QLatin1Char('/')))
        return QString();
    return result;
}

QString entryPath(const QString& folder, const QString& linkName, const QString& base)
{
    const QString dir = placeFolder(folder, base);
    // The name becomes a file name in that folder: it must stay one.
    if (dir.isEmpty() || linkName.isEmpty() || linkName.contains(QLatin1Char('/')) || linkName.contains(QChar(0)))
        return QString();
    return dir + QLatin1Char('/') + linkName + QStringLiteral(".desktop");
}

bool startsGearbook(const QString& target)
{
    return QFileInfo(target).fileName() == QLatin1String("Gearbook") || target == QLatin1String("gearbook");
}

QString quoteExecArgument(const QString& argument)
{
    QString quoted;
    quoted.reserve(argument.size() + 8);
    quoted += QLatin1Char('"');
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        else if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%'); // a literal percent sign, not a field code
        quoted += c;
    }
    quoted += QLatin1Char('"');
    return quoted;
}

QString escapeValue(const QString& value)
{
    QString escaped;
    escaped.reserve(value.size() + 8);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\'))
            escaped += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            escaped += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            escaped += QStringLiteral("\\r");
        else if (c == QLatin1Char(' ') && i == 0)
            escaped += QStringLiteral("\\s"); // readers drop the spaces after '='
        else
            escaped += c;
    }
    return escaped;
}

QByteArray desktopEntry(const QString& name, const QString& target, const QString& arguments)
{
    QString exec = quoteExecArgument(target);
    for (const QString& argument : QProcess::splitCommand(arguments))
        exec += QLatin1Char(' ') + quoteExecArgument(argument);

    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n");
    text += QStringLiteral("Name=") + escapeValue(name) + QLatin1Char('\n');
    text += QStringLiteral("Exec=") + escapeValue(exec) + QLatin1Char('\n');
    // Desktops hide an entry whose program is gone (removed with its package) instead of a dead launcher.
    text += QStringLiteral("TryExec=") +
            escapeValue(target.contains(QLatin1Char('/')) ? QFileInfo(target).absoluteFilePath() : target) +
            QLatin1Char('\n');
    // A bare program name is looked up on PATH and has no folder of its own.
    if (target.contains(QLatin1Char('/')))
        text += QStringLiteral("Path=") + escapeValue(QFileInfo(target).absolutePath()) + QLatin1Char('\n');
    if (startsGearbook(target)) {
        // As in Gearbook's own menu entry, so the shell shows and groups both alike.
        text += QStringLiteral("Icon=") + escapeValue(AppId::iconName()) + QLatin1Char('\n');
        text += QStringLiteral("Comment=Keep the records of your vehicles\n"
                               "Categories=Office;Database;\n"
                               "StartupWMClass=Gearbook\n");
    }
    return text.toUtf8();
}

} // namespace ShellLink

namespace {

// GNOME's desktop starts an entry only when it is also marked trusted. Where
// gio or the metadata store is missing this quietly does nothing.
void markTrusted(const QString& path)
{
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty())
        return;
    QProcess process;
    process.start(gio, {QStringLiteral("set"), path, QStringLiteral("metadata::trusted"), QStringLiteral("true")});
    if (process.waitForStarted(2000) && !process.waitForFinished(3000))
        process.kill();
    process.waitForFinished(1000);
}

} // namespace

qint32 fCreateShellLink(const QString& folder, const QString& linkName, const QString& target, const QString& arguments,
                        qint32 flag, const QString& base)
{
    Q_UNUSED(flag); // every place is the user's own
    const QString path = ShellLink::entryPath(folder, linkName, base);
    if (path.isEmpty())
        return 0;
    const QString dir = QFileInfo(path).path();
    // A desktop entry cannot start nothing, and a relative path with a folder
    // in it would be invalid in Exec=; such a path means the working folder's.
    QString program = target;
    if (program.isEmpty())
        return 0;
    if (program.contains(QLatin1Char('/')) && QDir::isRelativePath(program))
        program = QDir::cleanPath(QDir::current().absoluteFilePath(program));

    QDir().mkpath(dir);
    if (!QFileInfo(dir).isDir())
        return 0;

    const bool onDesktop = folder.compare(QStringLiteral("..\\..\\Desktop"), Qt::CaseInsensitive) == 0;
    std::optional<QFileDevice::Permissions> permissions;
    if (onDesktop) // desktops start only entries that are executable
        permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                      QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;

    const WriteResult result =
        writeFileSafely(path, ShellLink::desktopEntry(linkName, program, arguments), permissions);
    if (result.ok && onDesktop)
        markTrusted(path);
    return result.ok ? 1 : 0;
}
