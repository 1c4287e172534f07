#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTime>

#include <functional>
#include <optional>

// The daily reminder the user turns on in the Due Maintenance window: a
// systemd user timer and service in <config home>/systemd/user/ (daily at the
// chosen time, Persistent so a computer that was off catches up), enabled
// with `systemctl --user`; where no systemd user manager runs, an XDG
// autostart entry that runs it at login instead. Both run `<program> --remind`,
// and neither fails once the program is gone (ConditionFileIsExecutable=,
// TryExec=): an uninstall leaves them in the user's home.
namespace ReminderTimer {

// Where this build's package puts its programs and its `gearbook` command;
// empty for a build that is no package's.
struct Package {
    QString programFolder; // "/usr/lib/gearbook"
    QString command;       // "/usr/bin/gearbook"
    static Package ofThisBuild();
};

// How to start Gearbook as its menu entry does: a program and the folder to start it in.
struct Start {
    QString program;
    QString folder;
};
// For `programFile`, this program: the package's program is started by the
// package's command, which starts it in the user's program folder (made on
// the first start); any other (a source install, the build) as it is, in `folder`.
Start startOf(const QString& programFile, const QString& folder, const Package& package = Package::ofThisBuild());

QString timerFile();     // <config home>/systemd/user/gearbook-remind.timer
QString serviceFile();   // <config home>/systemd/user/gearbook-remind.service
QString autostartFile(); // <config home>/autostart/gearbook-remind.desktop

QByteArray timerUnit(QTime at);
// Both start `program` in `folder` (its program folder, where its login files
// are), and only while `program` is there to run. Any path is written so that
// systemd and desktop sessions read it back as it is.
QByteArray serviceUnit(const QString& program, const QString& folder);
QByteArray autostartEntry(const QString& program, const QString& folder);

// The user's systemd, as the reminder needs it: whether a user manager runs,
// and `systemctl --user ARGS` run to its end (nothing, or the reason it failed).
struct Systemd {
    bool running = false;
    std::function<std::optional<QString>(const QStringList& args)> systemctl;
    // The one of this session: a user manager answers on $XDG_RUNTIME_DIR/systemd/private.
    static Systemd here();
};

struct Outcome {
    bool ok = false;
    QString error; // for the user, when !ok
    explicit operator bool() const { return ok; }
};

// Writes and enables the timer and service (or the autostart entry) for `program` in `folder`.
Outcome install(QTime at, const QString& program, const QString& folder, const Systemd& systemd = Systemd::here());
// Disables and removes whatever install() wrote; nothing there is no failure.
Outcome remove(const Systemd& systemd = Systemd::here());

} // namespace ReminderTimer
