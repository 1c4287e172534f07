#include "BenchEnvironment.h"

#include "common/modGlobalVars.h"
#include "help/HelpBrowser.h"
#include "help/frmBrowser.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QTextBrowser>
#include <benchmark/benchmark.h>

// The first help page after the help command (Ctrl+R): from the command to the
// first paint of the page in a window that was not open. Target: 0.3 s on a
// machine where the web engine took over 1 s (tools/time-help.sh measures the
// same end to end, in a program of its own, with or without the engine).
namespace {

// Our ReadMe.htm with its pictures, as an installation puts them in the program folder.
QString installedReadMe()
{
    const QString folder = benchHome().path() + QStringLiteral("/program");
    QDir().mkpath(folder);
    const QDir source(QStringLiteral(GEARBOOK_SOURCE_DIR));
    QFile::copy(source.filePath(QStringLiteral("install/ReadMe.htm")), folder + QStringLiteral("/ReadMe.htm"));
    const QDir docs(source.filePath(QStringLiteral("docs")));
    for (const QString& picture : docs.entryList({QStringLiteral("*.png")}, QDir::Files))
        QFile::copy(docs.filePath(picture), folder + QLatin1Char('/') + picture);
    return folder + QStringLiteral("/ReadMe.htm");
}

// Sees the first paint of the page view.
class PagePainted : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->parent() &&
            watched->parent()->objectName() == QLatin1String("txtPage"))
            painted = true;
        return false;
    }
};

void BM_FirstHelpPage(benchmark::State& state)
{
    const QString readme = installedReadMe();
    HelpBrowser::setModulePath(benchHome().path() + QStringLiteral("/no-module.so"));
    PagePainted watcher;
    qApp->installEventFilter(&watcher);
    for (auto _ : state) {
        watcher.painted = false;
        HelpBrowser::showAddress(readme); // what Help > "View ReadMe" does
        QElapsedTimer waited;
        waited.start();
        while (!watcher.painted && waited.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        state.PauseTiming();
        if (!watcher.painted)
            state.SkipWithError("the page was not drawn");
        QPointer<frmBrowser> w = frmBrowser::existing();
        if (w)
            w->close();
        while (w)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    qApp->removeEventFilter(&watcher);
}
BENCHMARK(BM_FirstHelpPage)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
