// Start-up benchmark: runs Gearbook and the bare dialog program (startup_bare)
// alternately, each in a private data home, offscreen, ended after its first
// paint, and prints the median wall time, CPU time and peak memory of each.
//
//   gearbook_startup [RUNS [GEARBOOK]]   (default 15 runs of each per case;
//                                          GEARBOOK: another build's program, to compare builds)
//
// Cases: to the login window; to the main window with the login skipped, with
// an empty vehicle list and with 32,767 vehicles. CPU time and peak memory come
// from wait4(), in microseconds and KiB.
#include "access/CredentialStore.h"
#include "common/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Run {
    double wallMs = 0;
    double cpuMs = 0;
    double peakMiB = 0;
};

struct Case {
    QString title;
    QString programFolder; // the working folder, holding the login files
    QString dataHome;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double nowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Starts the program in `folder`, waits for it, and measures it; exits the benchmark if it fails.
Run runOnce(const QString& program, const Case& c)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), c.dataHome);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), c.dataHome + QStringLiteral("/config"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("GEARBOOK_QUIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
    std::vector<QByteArray> envBytes;
    for (const QString& entry : env.toStringList())
        envBytes.push_back(entry.toLocal8Bit());
    std::vector<char*> envp;
    for (QByteArray& entry : envBytes)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    QByteArray path = QFile::encodeName(program);
    const QByteArray folder = QFile::encodeName(c.programFolder);
    char* argv[] = {path.data(), nullptr};

    const double start = nowMs();
    const pid_t pid = fork();
    if (pid == 0) {
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
        alarm(60); // survives exec: a program that never paints cannot stall the benchmark
        if (chdir(folder.constData()) == 0)
            execve(path.constData(), argv, envp.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "gearbook_startup: %s did not end by itself after its first paint (status %d)\n",
                     path.constData(), status);
        std::exit(1);
    }
    Run run;
    run.wallMs = nowMs() - start;
    run.cpuMs =
        (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    run.peakMiB = usage.ru_maxrss / 1024.0;
    return run;
}

void measure(const Case& c, const QString& gearbook, const QString& bare, int runs)
{
    runOnce(bare, c); // warm the page cache and let Gearbook make its data folder
    runOnce(gearbook, c);
    std::vector<double> wall[2], cpu[2], peak[2];
    for (int i = 0; i < runs; ++i) {
        for (int p = 0; p < 2; ++p) {
            const Run r = runOnce(p == 0 ? bare : gearbook, c);
            wall[p].push_back(r.wallMs);
            cpu[p].push_back(r.cpuMs);
            peak[p].push_back(r.peakMiB);
        }
    }
    const double m[3][2] = {
        {median(wall[0]), median(wall[1])}, {median(cpu[0]), median(cpu[1])}, {median(peak[0]), median(peak[1])}};
    std::printf("%s (%d runs each, alternating)\n", qPrintable(c.title), runs);
    std::printf("  %-10s %12s %12s %14s\n", "", "wall ms", "CPU ms", "peak MiB");
    std::printf("  %-10s %12.1f %12.1f %14.1f\n", "bare", m[0][0], m[1][0], m[2][0]);
    std::printf("  %-10s %12.1f %12.1f %14.1f\n", "Gearbook", m[0][1], m[1][1], m[2][1]);
    std::printf("  %-10s %11.2fx %11.2fx %13.2fx\n\n", "ratio", m[0][1] / m[0][0], m[1][1] / m[1][0],
                m[2][1] / m[2][0]);
    std::fflush(stdout);
}

// A program folder with the default login, the skip option as given, and a
// data home whose vehicle list holds `vehicles` names (none: no list file).
Case makeCase(const QString& title, const QString& root, bool skipLogin, int vehicles)
{
    Case c{title, root + QStringLiteral("/program"), root + QStringLiteral("/data")};
    QDir().mkpath(c.programFolder);
    QDir().mkpath(c.dataHome);
    if (!CredentialStore::installDefaultLogin(c.programFolder, false).ok() ||
        (skipLogin && !CredentialStore::writeOptions(0, 1, c.programFolder))) {
        std::fprintf(stderr, "gearbook_startup: cannot write the login files in %s\n", qPrintable(root));
        std::exit(1);
    }
    if (vehicles > 0) {
        qputenv("XDG_DATA_HOME", QFile::encodeName(c.dataHome));
        DataFolder::CreateMakerFolder();
        QStringList names;
        for (int i = 0; i < vehicles; ++i)
            names << QStringLiteral("Car %1").arg(i, 5, 10, QLatin1Char('0'));
        if (!VehicleFiles::SaveVehicleList(names).ok) {
            std::fprintf(stderr, "gearbook_startup: cannot write the vehicle list in %s\n", qPrintable(root));
            std::exit(1);
        }
    }
    return c;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const QString gearbook = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(GEARBOOK_PROGRAM);
    const QString bare = QStringLiteral(GEARBOOK_BARE_PROGRAM);
    QTemporaryDir home;
    if (!home.isValid()) {
        std::fprintf(stderr, "gearbook_startup: no temporary folder\n");
        return 1;
    }
    const QString root = home.path();
    measure(makeCase(QStringLiteral("Start to the login window"), root + QStringLiteral("/login"), false, 0), gearbook,
            bare, runs);
    measure(makeCase(QStringLiteral("Start to the main window, login skipped, no vehicles"),
                     root + QStringLiteral("/empty"), true, 0),
            gearbook, bare, runs);
    measure(makeCase(QStringLiteral("Start to the main window, login skipped, 32,767 vehicles"),
                     root + QStringLiteral("/full"), true, VehicleFiles::MaxVehicles),
            gearbook, bare, runs);
    return 0;
}
