#include "frmSyncConflicts.h"

#include "AfterFirstPaint.h"
#include "PlatformServices.h"
#include "WindowLook.h"

#include <QApplication>
#include <QDir>
#include <QShortcut>
#include <QtConcurrent/QtConcurrentRun>

namespace {

using SyncConflicts::Conflict;
using Conflicts = QList<Conflict>;

enum Column { ColCaption, ColRecord, ColCopy };

// Reads the folder on a worker thread, watched by `watcher`. The program's end
// waits for its workers, so ending it stops the scan between two copies.
void scanInBackground(QFutureWatcher<Conflicts>* watcher)
{
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, watcher, &QFutureWatcherBase::cancel, Qt::UniqueConnection);
    watcher->setFuture(QtConcurrent::run([](QPromise<Conflicts>& promise) {
        promise.addResult(SyncConflicts::scan([&promise] { return promise.isCanceled(); }));
    }));
}

std::optional<Conflicts> resultOf(const QFutureWatcher<Conflicts>& watcher)
{
    if (watcher.isCanceled() || watcher.future().resultCount() == 0)
        return std::nullopt;
    return watcher.result();
}

// The file's name, when it was last changed, and why it cannot be shown whole.
QString describe(const Conflict& conflict, const SyncConflicts::Version& version)
{
    QString text = version.file;
    if (version.modified.isValid())
        text += QStringLiteral("\nchanged %1").arg(version.modified.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    if (const QString why = SyncConflicts::problem(conflict, version); !why.isEmpty())
        text += QLatin1Char('\n') + why;
    return text;
}

// Line breaks are stored as CR LF; a cell shows them as breaks.
QString shown(QString value)
{
    return value.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

frmSyncConflicts::frmSyncConflicts(QWidget* parent) : QWidget(parent, Qt::Window)
{
    adoptAsInstance();
    setupUi(this);
    connect(lstConflicts, &QListWidget::currentRowChanged, this, &frmSyncConflicts::showConflict);
    connect(cmdKeepRecord, &QPushButton::clicked, this, &frmSyncConflicts::cmdKeepRecord_Click);
    connect(cmdKeepCopy, &QPushButton::clicked, this, &frmSyncConflicts::cmdKeepCopy_Click);
    connect(cmdKeepBoth, &QPushButton::clicked, this, &frmSyncConflicts::cmdKeepBoth_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    new QShortcut(QKeySequence::Cancel, this, this, &QWidget::close);
    connect(&m_watcher, &QFutureWatcherBase::finished, this, [this] {
        if (const auto result = resultOf(m_watcher)) {
            m_conflicts = *result;
            fill();
            emit scanFinished();
        }
    });
    fill();
    WindowLook::apply(this);
}

frmSyncConflicts::~frmSyncConflicts() = default;

void frmSyncConflicts::showAndRefresh()
{
    show();
    raise();
    activateWindow();
    refresh();
}

void frmSyncConflicts::refresh()
{
    lblStatus->setText(QStringLiteral("Reading the records..."));
    m_watcher.cancel();
    scanInBackground(&m_watcher);
}

void frmSyncConflicts::showResult(const QList<Conflict>& conflicts)
{
    m_conflicts = conflicts;
    fill();
    show();
    raise();
    activateWindow();
}

void frmSyncConflicts::checkAtStart(QWidget* window, std::function<void(const QList<Conflict>&)> whenFound)
{
    auto* watcher = new QFutureWatcher<Conflicts>(window);
    connect(watcher, &QFutureWatcherBase::finished, window, [watcher, whenFound = std::move(whenFound)] {
        const auto result = resultOf(*watcher);
        watcher->deleteLater();
        if (result && !result->isEmpty())
            whenFound(*result);
    });
    new AfterFirstPaint(window, [watcher] { scanInBackground(watcher); });
}

void frmSyncConflicts::fill()
{
    const int keepRow = lstConflicts->currentRow();
    lstConflicts->clear();
    for (const Conflict& c : std::as_const(m_conflicts))
        lstConflicts->addItem(c.title());
    const qsizetype count = m_conflicts.size();
    lblStatus->setText(count == 0   ? QStringLiteral("There are no sync conflicts.")
                       : count == 1 ? QStringLiteral("1 conflict.")
                                    : QStringLiteral("%1 conflicts.").arg(count));
    if (count > 0)
        lstConflicts->setCurrentRow(std::clamp(keepRow, 0, int(count) - 1));
    showConflict();
}

const Conflict* frmSyncConflicts::current() const
{
    const int row = lstConflicts->currentRow();
    return row >= 0 && row < m_conflicts.size() ? &m_conflicts[row] : nullptr;
}

void frmSyncConflicts::showConflict()
{
    tvwCompare->clear();
    const Conflict* c = current();
    lblTitle->setText(c ? QStringLiteral("<b>%1</b> (%2)").arg(c->title().toHtmlEscaped(), c->tool) : QString());
    lblRecord->setText(c ? describe(*c, c->record) : QString());
    lblCopy->setText(c ? describe(*c, c->copy) : QString());
    cmdKeepRecord->setEnabled(c && bool(c->record.read));
    cmdKeepCopy->setEnabled(c && bool(c->copy.read));
    cmdKeepBoth->setVisible(c && c->isList());
    cmdKeepBoth->setEnabled(c && !c->record.read.unreadable() && !c->copy.read.unreadable());
    if (!c)
        return;
    tvwCompare->setColumnHidden(ColCaption, c->isList());
    // What differs stands out: bold on a tint of the selection colour.
    QFont bold = tvwCompare->font();
    bold.setBold(true);
    QColor tint = tvwCompare->palette().color(QPalette::Highlight);
    tint.setAlpha(60);
    QList<QTreeWidgetItem*> items;
    for (const SyncConflicts::Row& row : SyncConflicts::compare(*c)) {
        auto* item = new QTreeWidgetItem({row.caption, shown(row.record), shown(row.copy)});
        item->setToolTip(ColRecord, row.record);
        item->setToolTip(ColCopy, row.copy);
        if (row.differs)
            for (int column : {ColCaption, ColRecord, ColCopy}) {
                item->setFont(column, bold);
                item->setBackground(column, tint);
            }
        items << item;
    }
    tvwCompare->addTopLevelItems(items);
    tvwCompare->header()->resizeSections(QHeaderView::ResizeToContents);
}

void frmSyncConflicts::cmdKeepRecord_Click()
{
    keep(SyncConflicts::Keep::Record);
}

void frmSyncConflicts::cmdKeepCopy_Click()
{
    keep(SyncConflicts::Keep::Copy);
}

void frmSyncConflicts::cmdKeepBoth_Click()
{
    keep(SyncConflicts::Keep::BothLists);
}

void frmSyncConflicts::keep(SyncConflicts::Keep keep)
{
    const Conflict* c = current();
    if (!c)
        return;
    const Conflict conflict = *c;
    const SyncConflicts::Resolution result = SyncConflicts::resolve(conflict, keep);
    if (!result) {
        platform().messageBox(
            QStringLiteral("The conflict of %1 has not been resolved.\n\n%2").arg(conflict.title(), result.error),
            QStringLiteral("Sync Conflicts"), MsgButtons::Ok, MsgIcon::Warning);
        if (!result.safetyBackup.isEmpty())
            emit resolved(conflict.vehicle); // something may have changed after the backup
        refresh();
        return;
    }
    m_conflicts.removeAt(lstConflicts->currentRow());
    fill();
    lblStatus->setText(QStringLiteral("%1 is resolved. Both versions are in the safety backup \"%2\". %3")
                           .arg(conflict.title(), QDir::toNativeSeparators(result.safetyBackup), lblStatus->text()));
    emit resolved(conflict.vehicle);
    // A list kept whole may name records whose own conflicts show only now.
    if (conflict.isList())
        refresh();
}
