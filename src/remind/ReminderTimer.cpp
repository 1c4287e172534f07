#include "remind/ReminderTimer.h"

#include "common/AppId.h"
#include "common/DataFolder.h"
#include "common/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>

namespace ReminderTimer {

namespace {

const QString TimerName = QStringLiteral("gearbook-remind.timer");
constexpr int SystemctlTimeoutMs = 15000;

QString configHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

// A word of ExecStart=: in double quotes, which keep blanks; C escapes for
// quotes, backslashes and control characters, "%%" and "$$" for what would be a
// specifier or a variable.
QString execStartWord(const QString& word)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : word) {
        if (c == u'%')
            out += QStringLiteral("%%");
        else if (c == u'$')
            out += QStringLiteral("$$");
        else if (c == u'"' || c == u'\\')
            out += QLatin1Char('\\') + c;
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

// A path of a setting that takes it unquoted (ConditionFileIsExecutable=,
// WorkingDirectory=): "%%" for a specifier sign. Nothing when the unit file
// cannot hold it: a line break, or blanks at either end, which are dropped.
std::optional<QString> unitPath(const QString& path)
{
    const bool fits =
        std::none_of(path.begin(), path.end(), [](QChar c) { return c.unicode() < 0x20; }) && path == path.trimmed();
    return fits ? std::optional(QString(path).replace(QLatin1Char('%'), QStringLiteral("%%"))) : std::nullopt;
}

// An argument of Exec=: in double quotes, with '"', '`', '$' and '\\' escaped.
// Field codes are expanded before the quotes are read, so '%' is "%%" anywhere.
QString execArgument(const QString& word)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : word) {
        if (c == u'%')
            out += QStringLiteral("%%");
        else if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            out += QLatin1Char('\\') + c;
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

// The value of a desktop entry's string key: backslashes and line breaks
// escaped, and a leading blank, which would be dropped.
QString desktopString(const QString& value)
{
    QString out;
    for (const QChar c : value) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c == u' ' && out.isEmpty())
            out += QStringLiteral("\\s");
        else
            out += c;
    }
    return out;
}

std::optional<QString> write(const QString& path, const QByteArray& bytes)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return QStringLiteral("The folder \"%1\" could not be made.").arg(QFileInfo(path).absolutePath());
    if (const WriteResult written = writeFileSafely(path, bytes); !written)
        return QStringLiteral("\"%1\" could not be written: %2").arg(path, written.error);
    return std::nullopt;
}

std::optional<QString> removeFile(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isSymLink() && !file.exists())
        return std::nullopt;
    if (!file.remove())
        return QStringLiteral("\"%1\" could not be removed: %2").arg(path, file.errorString());
    return std::nullopt;
}

Outcome failed(const QString& error)
{
    return {false, error};
}

} // namespace

QString timerFile()
{
    return configHome() + QStringLiteral("/systemd/user/") + TimerName;
}

QString serviceFile()
{
    return configHome() + QStringLiteral("/systemd/user/gearbook-remind.service");
}

QString autostartFile()
{
    return configHome() + QStringLiteral("/autostart/gearbook-remind.desktop");
}

QByteArray timerUnit(QTime at)
{
    return QStringLiteral("[Unit]\n"
                          "Description=Gearbook: remind of the maintenance that is due\n"
                          "\n"
                          "[Timer]\n"
                          "OnCalendar=*-*-* %1\n"
                          "Persistent=true\n"
                          "\n"
                          "[Install]\n"
                          "WantedBy=timers.target\n")
        .arg(at.toString(QStringLiteral("HH:mm:00")))
        .toUtf8();
}

QByteArray serviceUnit(const QString& program, const QString& folder)
{
    // systemd takes a program path with quotes, '$' or '\\' only as an argument: the shell starts it then.
    const bool plain = std::none_of(program.begin(), program.end(), [](QChar c) {
        return c.unicode() < 0x20 || QStringView(u"\"'\\$`;&|*?[]{}<>()!#~").contains(c);
    });
    const QString execStart =
        plain ? execStartWord(program) + QStringLiteral(" --remind")
              : QStringLiteral("/bin/sh -c %1 %2")
                    .arg(execStartWord(QStringLiteral("exec \"$0\" --remind")), execStartWord(program));
    // Once the program is gone (the package removed), the timer's start is skipped, not failed.
    const auto condition = unitPath(program);
    const auto workingFolder = unitPath(folder);
    // Not oneshot: the reminder waits for the user's answer longer than a start may take.
    return (QStringLiteral("[Unit]\n"
                           "Description=Gearbook: remind of the maintenance that is due\n") +
            (condition ? QStringLiteral("ConditionFileIsExecutable=%1\n").arg(*condition) : QString()) +
            QStringLiteral("\n"
                           "[Service]\n"
                           "# --remind exits 1 when the reminder could not be shown: the journal says so.\n"
                           "Type=exec\n") +
            (workingFolder ? QStringLiteral("WorkingDirectory=-%1\n").arg(*workingFolder) : QString()) +
            QStringLiteral("ExecStart=%1\n").arg(execStart))
        .toUtf8();
}

QByteArray autostartEntry(const QString& program, const QString& folder)
{
    // GLib looks the program up as Exec= names it, before "%%" is read as '%':
    // a path with '%' is started by the shell instead.
    const QString exec = program.contains(QLatin1Char('%'))
                             ? QStringLiteral("sh -c \"exec \\\"\\$0\\\" \\\"\\$@\\\"\" %1 --remind")
                             : QStringLiteral("%1 --remind");
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Gearbook maintenance reminder\n"
                          "Comment=Tells once a day, at login, what maintenance is due\n"
                          "TryExec=%1\n"
                          "Exec=%2\n"
                          "Path=%3\n"
                          "Icon=%4\n"
                          "NoDisplay=true\n"
                          "Terminal=false\n")
        .arg(desktopString(program), desktopString(exec.arg(execArgument(program))), desktopString(folder),
             AppId::iconName())
        .toUtf8();
}

Package Package::ofThisBuild()
{
#ifdef GEARBOOK_PACKAGE_PROGRAM_FOLDER
    return {QStringLiteral(GEARBOOK_PACKAGE_PROGRAM_FOLDER), QStringLiteral(GEARBOOK_PACKAGE_COMMAND)};
#else
    return {};
#endif
}

Start startOf(const QString& programFile, const QString& folder, const Package& package)
{
    const QFileInfo program(programFile);
    if (!package.programFolder.isEmpty() &&
        QDir::cleanPath(program.absolutePath()) == QDir::cleanPath(package.programFolder))
        return {package.command, DataFolder::installFolder()};
    return {program.absoluteFilePath(), folder};
}

Systemd Systemd::here()
{
    Systemd systemd;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString systemctl = QStandardPaths::findExecutable(QStringLiteral("systemctl"));
    systemd.running =
        !runtime.isEmpty() && !systemctl.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/systemd/private"));
    systemd.systemctl = [systemctl](const QStringList& args) -> std::optional<QString> {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(systemctl, QStringList{QStringLiteral("--user")} + args);
        if (!process.waitForFinished(SystemctlTimeoutMs)) {
            process.kill();
            process.waitForFinished();
            return QStringLiteral("systemctl --user %1 did not finish: %2")
                .arg(args.join(QLatin1Char(' ')), process.errorString());
        }
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            return QStringLiteral("systemctl --user %1 failed: %2")
                .arg(args.join(QLatin1Char(' ')), QString::fromLocal8Bit(process.readAll()).trimmed());
        return std::nullopt;
    };
    return systemd;
}

Outcome install(QTime at, const QString& program, const QString& folder, const Systemd& systemd)
{
    if (!systemd.running) {
        if (const auto problem = write(autostartFile(), autostartEntry(program, folder)))
            return failed(*problem);
        return {true, {}};
    }
    for (const auto& [path, bytes] :
         {std::pair{serviceFile(), serviceUnit(program, folder)}, {timerFile(), timerUnit(at)}})
        if (const auto problem = write(path, bytes))
            return failed(*problem);
    // An autostart entry from a session without a user manager would remind a second way.
    if (const auto problem = removeFile(autostartFile()))
        return failed(*problem);
    for (const QStringList& args : {QStringList{QStringLiteral("daemon-reload")},
                                    QStringList{QStringLiteral("enable"), QStringLiteral("--now"), TimerName}})
        if (const auto problem = systemd.systemctl(args))
            return failed(*problem);
    return {true, {}};
}

Outcome remove(const Systemd& systemd)
{
    const bool hadTimer = QFileInfo::exists(timerFile());
    if (systemd.running && hadTimer)
        if (const auto problem = systemd.systemctl({QStringLiteral("disable"), QStringLiteral("--now"), TimerName}))
            return failed(*problem);
    for (const QString& path : {timerFile(), serviceFile(), autostartFile()})
        if (const auto problem = removeFile(path))
            return failed(*problem);
    if (systemd.running && hadTimer)
        if (const auto problem = systemd.systemctl({QStringLiteral("daemon-reload")}))
            return failed(*problem);
    return {true, {}};
}

} // namespace ReminderTimer
