#include "ReminderTimer.h"

#include "AppId.h"
#include "SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace ReminderTimer {

namespace {

const QString TimerName = QStringLiteral("gearbook-remind.timer");
constexpr int SystemctlTimeoutMs = 15000;

QString configHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

// A word of ExecStart= or Exec=: in double quotes, with the characters both
// formats treat specially escaped ('%' is a specifier in each).
QString quoted(const QString& word, bool desktopEntry)
{
    QString out;
    for (const QChar c : word) {
        if (c == QLatin1Char('%'))
            out += QStringLiteral("%%");
        else if (c == QLatin1Char('"') || c == QLatin1Char('\\') ||
                 (desktopEntry && (c == QLatin1Char('`') || c == QLatin1Char('$'))))
            out += QLatin1Char('\\') + c;
        else if (!desktopEntry && c == QLatin1Char('$'))
            out += QStringLiteral("$$");
        else
            out += c;
    }
    out = QLatin1Char('"') + out + QLatin1Char('"');
    // A desktop entry's string value escapes its backslashes once more.
    return desktopEntry ? out.replace(QLatin1Char('\\'), QStringLiteral("\\\\")) : out;
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
    // Not oneshot: the reminder waits for the user's answer longer than a start may take.
    return QStringLiteral("[Unit]\n"
                          "Description=Gearbook: remind of the maintenance that is due\n"
                          "\n"
                          "[Service]\n"
                          "Type=exec\n"
                          "WorkingDirectory=%1\n"
                          "ExecStart=%2 --remind\n")
        .arg(QString(folder).replace(QLatin1Char('%'), QStringLiteral("%%")), quoted(program, false))
        .toUtf8();
}

QByteArray autostartEntry(const QString& program, const QString& folder)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Gearbook maintenance reminder\n"
                          "Comment=Tells once a day, at login, what maintenance is due\n"
                          "Exec=%1 --remind\n"
                          "Path=%2\n"
                          "Icon=%3\n"
                          "NoDisplay=true\n"
                          "Terminal=false\n")
        .arg(quoted(program, true), QString(folder).replace(QLatin1Char('\\'), QStringLiteral("\\\\")),
             AppId::iconName())
        .toUtf8();
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
