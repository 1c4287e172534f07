#include "app/ConflictAlert.h"

#include "ui/PlatformServices.h"

#include <QApplication>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// Several copies in one message: the first few by name.
constexpr qsizetype NamedCopies = 5;
constexpr int DialogPollMs = 250;

} // namespace

ConflictAlert::ConflictAlert(QObject* parent, std::function<void()> openConflicts)
    : QObject(parent), m_open(std::move(openConflicts))
{
    m_dialogOpen.setSingleShot(true);
    m_dialogOpen.setInterval(DialogPollMs);
    connect(&m_dialogOpen, &QTimer::timeout, this, &ConflictAlert::tell);
    connect(&m_scan, &QFutureWatcherBase::finished, this, &ConflictAlert::scanned);
    // The program's end waits for its workers: ending it stops the reading between two copies.
    connect(qApp, &QCoreApplication::aboutToQuit, &m_scan, &QFutureWatcherBase::cancel);
    check();
}

ConflictAlert::~ConflictAlert()
{
    m_scan.cancel();
    m_scan.waitForFinished();
}

void ConflictAlert::check()
{
    if (m_scan.isRunning()) {
        m_again = true;
        return;
    }
    m_scan.setFuture(QtConcurrent::run([](QPromise<QList<SyncConflicts::Conflict>>& promise) {
        promise.addResult(SyncConflicts::scan([&promise] { return promise.isCanceled(); }));
    }));
}

void ConflictAlert::scanned()
{
    if (m_scan.isCanceled() || m_scan.future().resultCount() == 0)
        return;
    for (const SyncConflicts::Conflict& conflict : m_scan.result())
        if (!m_known.contains(conflict.copy.file)) {
            m_known.insert(conflict.copy.file);
            if (!m_first)
                m_untold << conflict;
        }
    m_first = false;
    if (m_again) {
        m_again = false;
        check();
    }
    tell();
}

void ConflictAlert::tell()
{
    if (m_untold.isEmpty())
        return;
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        m_dialogOpen.start();
        return;
    }
    QStringList named;
    for (qsizetype i = 0; i < std::min(NamedCopies, m_untold.size()); ++i)
        named << QStringLiteral("%1 (%2)").arg(m_untold[i].title(), m_untold[i].copy.file);
    if (m_untold.size() > NamedCopies)
        named << QStringLiteral("and %1 more").arg(m_untold.size() - NamedCopies);
    m_untold.clear(); // before the box: copies found while it is open are told after it
    const QString text =
        QStringLiteral("Another computer changed a record at the same time as this one, and the sync tool kept its "
                       "version as a conflict copy:\n\n%1\n\nThe record here may show the older values. Do you want "
                       "to open the Sync Conflicts window and choose what to keep?")
            .arg(named.join(QLatin1Char('\n')));
    if (platform().messageBox(text, QString(), {QStringLiteral("Open Sync Conflicts"), QStringLiteral("Later")},
                              MsgIcon::Warning) == 0)
        m_open();
}
