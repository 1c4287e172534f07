#include "duewindow/frmDueMaint.h"

#include "common/DataFolder.h"
#include "due/RemindSettings.h"
#include "remind/ReminderTimer.h"
#include "ui/AfterFirstPaint.h"
#include "ui/PlatformServices.h"
#include "ui/SaveMessages.h"
#include "ui/WindowLook.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QShortcut>
#include <QStandardPaths>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <utility>

namespace {

enum Column { ColVehicle, ColEntry, ColNextDate, ColNextMileage, ColLastMileage };

const QString ShowAtStartKey = QStringLiteral("DueMaintenance/ShowAtStart");

std::unique_ptr<QSettings> settings()
{
    return RemindSettings::open();
}

// Reads what is due on a worker thread, watched by `watcher`. The program's
// end waits for its workers, so ending it stops the scan between two vehicles.
void scanInBackground(QFutureWatcher<DueScan::Result>* watcher)
{
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, watcher, &QFutureWatcherBase::cancel, Qt::UniqueConnection);
    const QLocale locale;
    const QDate today = QDate::currentDate();
    watcher->setFuture(QtConcurrent::run([locale, today](QPromise<DueScan::Result>& promise) {
        promise.addResult(DueScan::scan(locale, today, [&promise] { return promise.isCanceled(); }));
    }));
}

// The result of a finished scan; nothing when it was stopped.
std::optional<DueScan::Result> resultOf(const QFutureWatcher<DueScan::Result>& watcher)
{
    if (watcher.isCanceled() || watcher.future().resultCount() == 0)
        return std::nullopt;
    return watcher.result();
}

} // namespace

frmDueMaint::frmDueMaint(QWidget* parent) : QWidget(parent, Qt::Window)
{
    adoptAsInstance();
    setupUi(this);

    const auto stored = settings();
    chkShowAtStart->setChecked(stored->value(ShowAtStartKey, true).toBool());
    spnDays->setValue(RemindSettings::spanDays());

    connect(chkShowAtStart, &QCheckBox::toggled, this, [](bool on) { settings()->setValue(ShowAtStartKey, on); });
    connect(spnDays, &QSpinBox::valueChanged, this, [this](int days) {
        settings()->setValue(RemindSettings::SpanKey, days);
        fill();
    });
    chkRemind->setChecked(stored->value(RemindSettings::RemindKey, false).toBool());
    tmeRemindAt->setTime(RemindSettings::remindAt());
    tmeRemindAt->setEnabled(chkRemind->isChecked());
    connect(chkRemind, &QCheckBox::toggled, this, &frmDueMaint::chkRemind_Click);
    connect(tmeRemindAt, &QTimeEdit::editingFinished, this, &frmDueMaint::tmeRemindAt_Change);
    connect(tvwDue, &QTreeWidget::itemActivated, this, &frmDueMaint::rowActivated);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    new QShortcut(QKeySequence::Cancel, this, this, &QWidget::close);
    connect(&m_watcher, &QFutureWatcherBase::finished, this, [this] {
        if (const auto result = resultOf(m_watcher)) {
            m_result = *result;
            m_haveResult = true;
            m_scanPending = false;
            fill();
            emit scanFinished();
            // A save during the scan may have come after the file was read.
            recheckSavedFiles();
        }
    });
    connect(&SavedFiles::instance(), &SavedFiles::saved, this, &frmDueMaint::fileSaved);
    WindowLook::apply(this);
}

frmDueMaint::~frmDueMaint() = default;

void frmDueMaint::fileSaved(const QString& path)
{
    // Hidden, it reads the files anew when shown again.
    const QFileInfo file(path);
    if (!isVisible() || QDir::cleanPath(file.absolutePath()) != QDir::cleanPath(DataFolder::path()))
        return;
    m_savedFiles.insert(file.fileName());
    if (!m_scanPending)
        recheckSavedFiles();
}

void frmDueMaint::recheckSavedFiles()
{
    // Leaving a field or a vehicle saves it unchanged: only a change to what
    // was read reads again, so the rows the user is working in stay put.
    const QSet<QString> saved = std::exchange(m_savedFiles, {});
    for (const QString& name : saved) {
        if (!m_haveResult || DueScan::changedSince(m_result, name)) {
            refresh();
            return;
        }
    }
}

void frmDueMaint::showAndRefresh()
{
    show();
    raise();
    activateWindow();
    refresh();
}

void frmDueMaint::refresh()
{
    lblStatus->setText(QStringLiteral("Reading the records..."));
    m_scanPending = true;
    // A scan still running is stopped; the watcher reports the newest.
    m_watcher.cancel();
    scanInBackground(&m_watcher);
}

void frmDueMaint::showResult(const DueScan::Result& result)
{
    m_result = result;
    m_haveResult = true;
    fill();
    show();
    raise();
    activateWindow();
}

void frmDueMaint::checkAtStart(QWidget* window, std::function<void(const DueScan::Result&)> whenDue)
{
    auto* watcher = new QFutureWatcher<DueScan::Result>(window);
    connect(watcher, &QFutureWatcherBase::finished, window, [watcher, whenDue = std::move(whenDue)] {
        const auto result = resultOf(*watcher);
        watcher->deleteLater();
        const int span = RemindSettings::spanDays();
        if (result && DueScan::anythingDue(DueScan::rows(*result, QDate::currentDate(), span)))
            whenDue(*result);
    });
    new AfterFirstPaint(window, [watcher] {
        if (settings()->value(ShowAtStartKey, true).toBool())
            scanInBackground(watcher);
        else
            watcher->deleteLater();
    });
}

void frmDueMaint::fill()
{
    tvwDue->clear();
    if (!m_haveResult)
        return;
    const QDate today = QDate::currentDate();
    const QList<DueScan::Row> rows = DueScan::rows(m_result, today, spnDays->value());

    // Built apart from the view and handed over whole: thousands of rows
    // inserted one by one into a shown tree would each update it.
    QFont bold = tvwDue->font();
    bold.setBold(true);
    static const char* const captions[] = {"Due", "Next date not understood", "Files that could not be read"};
    QList<QTreeWidgetItem*> groups;
    QList<QTreeWidgetItem*> children;
    const auto closeGroup = [&] {
        if (!children.isEmpty())
            groups.last()->addChildren(children);
        children.clear();
    };
    int kind = -1;
    int dueCount = 0;
    for (const DueScan::Row& row : rows) {
        if (row.kind != kind) {
            closeGroup();
            kind = row.kind;
            auto* group = new QTreeWidgetItem({QString::fromLatin1(captions[kind])});
            group->setFirstColumnSpanned(true);
            group->setFont(0, bold);
            group->setFlags(Qt::ItemIsEnabled);
            groups.append(group);
        }
        if (row.kind == DueScan::Row::FileUnreadable) {
            const QString problem = QStringLiteral("\"%1\": %2").arg(row.file, row.reason);
            auto* item = new QTreeWidgetItem({row.vehicle, row.entry, problem});
            item->setToolTip(ColNextDate, problem);
            children.append(item);
            continue;
        }
        auto* item = new QTreeWidgetItem({row.vehicle, row.entry, row.nextDate, row.nextMileage, row.lastMileage});
        if (row.estimate) {
            // The day the mileage should be reached, set apart as a guess.
            const QString guess = DueScan::estimateText(*row.estimate);
            item->setText(ColNextDate,
                          row.nextDate.trimmed().isEmpty() ? guess : row.nextDate + QStringLiteral("; ") + guess);
            QFont italic = item->font(ColNextDate);
            italic.setItalic(true);
            item->setFont(ColNextDate, italic);
            item->setToolTip(ColNextDate, QStringLiteral("An estimate from the vehicle's own mileage history."));
        }
        if (row.kind == DueScan::Row::Due) {
            ++dueCount;
            // What makes it due stands out: a date already past, a mileage reached.
            if (row.date && *row.date <= today)
                item->setFont(ColNextDate, bold);
            if (row.byMileage)
                item->setFont(ColNextMileage, bold);
        }
        children.append(item);
    }
    closeGroup();
    tvwDue->addTopLevelItems(groups);
    tvwDue->expandAll();
    tvwDue->header()->resizeSections(QHeaderView::ResizeToContents);
    lblStatus->setText(dueCount == 0   ? QStringLiteral("Nothing is due within %1 days.").arg(spnDays->value())
                       : dueCount == 1 ? QStringLiteral("1 inspection is due.")
                                       : QStringLiteral("%1 inspections are due.").arg(dueCount));
}

void frmDueMaint::rowActivated(QTreeWidgetItem* item)
{
    // Group captions have no parent and name no vehicle.
    if (item && item->parent() && !item->text(ColVehicle).isEmpty())
        emit entryChosen(item->text(ColVehicle), item->text(ColEntry));
}

void frmDueMaint::chkRemind_Click(bool on)
{
    // This window runs in the program folder, where the login files are.
    const ReminderTimer::Start start =
        ReminderTimer::startOf(QCoreApplication::applicationFilePath(), QDir::currentPath());
    const ReminderTimer::Outcome done =
        on ? ReminderTimer::install(tmeRemindAt->time(), start.program, start.folder) : ReminderTimer::remove();
    if (!done) {
        platform().messageBox((on ? QStringLiteral("The daily reminder could not be set up.\n\n%1")
                                  : QStringLiteral("The daily reminder could not be removed.\n\n%1"))
                                  .arg(done.error),
                              windowTitle(), MsgButtons::Ok, MsgIcon::Warning);
        // The box shows what is installed: the settings and the files agree.
        if (on) {
            ReminderTimer::remove();
            const QSignalBlocker quiet(chkRemind);
            chkRemind->setChecked(false);
            on = false;
        }
    }
    settings()->setValue(RemindSettings::RemindKey, on);
    tmeRemindAt->setEnabled(on);
}

void frmDueMaint::tmeRemindAt_Change()
{
    const QString at = tmeRemindAt->time().toString(QStringLiteral("HH:mm"));
    if (at == settings()->value(RemindSettings::RemindTimeKey).toString())
        return;
    settings()->setValue(RemindSettings::RemindTimeKey, at);
    if (chkRemind->isChecked())
        chkRemind_Click(true);
}
