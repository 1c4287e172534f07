// Writes the login an installation ships with (user name "admin", password
// "admin", both login options off) into a program folder.
//
//   gearbook_credentials [--reset] FOLDER
//
// Credential files that are already there are kept, so installing again never
// undoes a changed login; --reset rewrites all three (for a forgotten login).
#include "access/CredentialStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>

namespace {

void print(FILE* to, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fputc('\n', to);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString usage = QStringLiteral("usage: gearbook_credentials [--reset] FOLDER\n"
                                         "Writes the default login (admin / admin) into FOLDER; existing\n"
                                         "credential files are kept unless --reset is given.");
    bool reset = false;
    QString folder;
    const QStringList args = app.arguments().mid(1);
    for (const QString& arg : args) {
        if (arg == QLatin1String("--reset")) {
            reset = true;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            print(stdout, usage);
            return 0;
        } else if (arg.startsWith(QLatin1String("--")) || !folder.isEmpty()) {
            print(stderr, usage);
            return 2;
        } else {
            folder = arg;
        }
    }
    if (folder.isEmpty()) {
        print(stderr, usage);
        return 2;
    }

    const CredentialStore::InstallReport report = CredentialStore::installDefaultLogin(folder, reset);
    const QString where = QDir::toNativeSeparators(QDir(folder).absolutePath());
    for (const QString& name : report.written)
        print(stdout, QStringLiteral("gearbook_credentials: wrote %1/%2").arg(where, name));
    if (!report.kept.isEmpty() && !reset)
        print(stdout, QStringLiteral("gearbook_credentials: kept existing %1 in %2 (use --reset to replace)")
                          .arg(report.kept.join(QStringLiteral(", ")), where));
    if (!report.ok()) {
        print(stderr, QStringLiteral("gearbook_credentials: cannot write %1: %2")
                          .arg(QDir::toNativeSeparators(report.failedPath), report.error));
        return 1;
    }
    return 0;
}
