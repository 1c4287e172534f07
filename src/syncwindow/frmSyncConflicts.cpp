#include "syncwindow/frmSyncConflicts.h"

#include "common/RecordLayout.h"
#include "ui/AfterFirstPaint.h"
#include "ui/PlatformServices.h"
#include "ui/WindowLook.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPainter>
#include <QRegularExpression>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cmath>

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

// The file's name, when it was last changed, where it came from, and why it cannot be shown whole.
QString describe(const Conflict& conflict, const SyncConflicts::Version& version, const QString& from)
{
    QString text = version.file;
    if (version.modified.isValid())
        text += QStringLiteral("\nchanged %1").arg(version.modified.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    text += QLatin1Char('\n') + from;
    if (const QString why = SyncConflicts::problem(conflict, version); !why.isEmpty())
        text += QLatin1Char('\n') + why;
    return text;
}

// Where the other version came from, as far as the copy's name tells: Syncthing
// names the device, Dropbox-like tools the computer.
QString otherOrigin(const Conflict& c)
{
    static const QRegularExpression device(QStringLiteral("\\.sync-conflict-\\d{8}-\\d{6}-([A-Z0-9]+)\\.gbx$"));
    static const QRegularExpression host(QStringLiteral(" \\((.+)'s conflicted copy [0-9-]+\\)\\.gbx$"));
    QString text = QStringLiteral("The other computer's version, which %1 kept as a copy").arg(c.tool);
    if (const auto m = device.match(c.copy.file); m.hasMatch())
        text += QStringLiteral(" (from the device %1)").arg(m.captured(1));
    else if (const auto m2 = host.match(c.copy.file); m2.hasMatch())
        text += QStringLiteral(" (from %1)").arg(m2.captured(1));
    return text + QLatin1Char('.');
}

// The record in words, as the main window calls its parts: "maintenance entry Oil change of Van".
QString nameOf(const Conflict& c)
{
    switch (c.kind) {
    case SyncConflicts::Kind::VehicleList:
        return QStringLiteral("list of vehicles");
    case SyncConflicts::Kind::MaintList:
        return QStringLiteral("list of maintenance entries of %1").arg(c.vehicle);
    case SyncConflicts::Kind::PartsList:
        return QStringLiteral("list of parts of %1").arg(c.vehicle);
    case SyncConflicts::Kind::Vehicle:
        return QStringLiteral("Vehicle Info. of %1").arg(c.vehicle);
    case SyncConflicts::Kind::Picture:
        return QStringLiteral("picture of %1").arg(c.vehicle);
    case SyncConflicts::Kind::MaintRecord:
        return QStringLiteral("maintenance entry %1 of %2").arg(c.entry, c.vehicle);
    case SyncConflicts::Kind::PartRecord:
        return QStringLiteral("part %1 of %2").arg(c.entry, c.vehicle);
    }
    return c.title();
}

QString capitalized(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

// A value as the page shows it: the option buttons of a vehicle as ticked or not.
QString asShown(const Conflict& c, qsizetype field, const QString& value)
{
    if (c.kind == SyncConflicts::Kind::Vehicle && RecordLayout::isTruth(RecordLayout::Kind::Vehicle, int(field)))
        if (const auto truth = RecordFile::truthOf(value))
            return *truth ? QStringLiteral("ticked") : QStringLiteral("not ticked");
    return value;
}

// Line breaks are stored as CR LF; a cell shows them as breaks.
QString shown(QString value)
{
    return value.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Rows as tall as their wrapped values in the columns' present widths, so a
// long value never needs sideways scrolling. Lines break between words; only a
// word longer than the column breaks inside.
class WrappingDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static constexpr int Margin = 4;

    static QTextOption wrapping()
    {
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        return option;
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        const auto* view = static_cast<const QTreeWidget*>(parent());
        const double width = std::max(20, view->header()->sectionSize(index.column()) - 2 * Margin);
        QTextLayout layout(o.text, o.font);
        layout.setTextOption(wrapping());
        double height = 0;
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            height += line.height();
        }
        layout.endLayout();
        const int natural = QStyledItemDelegate::sizeHint(option, index).width() + 2 * Margin;
        return {natural, int(std::ceil(height)) + 2 * Margin};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        const QString text = o.text;
        o.text.clear();
        o.widget->style()->drawControl(QStyle::CE_ItemViewItem, &o, painter, o.widget);
        painter->save();
        painter->setFont(o.font);
        painter->drawText(QRectF(o.rect.adjusted(Margin, Margin, -Margin, -Margin)), text, wrapping());
        painter->restore();
    }
};

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
    connect(chkShowSame, &QCheckBox::toggled, this, &frmSyncConflicts::showConflict);
    // Two value columns share what the caption leaves; rows grow to their wrapped values.
    tvwCompare->setHeaderLabels(
        {QStringLiteral("Field"), QStringLiteral("This computer's version"), QStringLiteral("The other version")});
    tvwCompare->setItemDelegate(new WrappingDelegate(tvwCompare));
    tvwCompare->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tvwCompare->header()->setStretchLastSection(false);
    tvwCompare->header()->setSectionResizeMode(ColCaption, QHeaderView::ResizeToContents);
    tvwCompare->header()->setSectionResizeMode(ColRecord, QHeaderView::Stretch);
    tvwCompare->header()->setSectionResizeMode(ColCopy, QHeaderView::Stretch);
    connect(tvwCompare->header(), &QHeaderView::sectionResized, tvwCompare, &QTreeView::doItemsLayout,
            Qt::QueuedConnection);
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
        lstConflicts->addItem(capitalized(nameOf(c)));
    const qsizetype count = m_conflicts.size();
    lblStatus->setText(count == 0   ? QStringLiteral("There are no sync conflicts.")
                       : count == 1 ? QStringLiteral("1 conflict.")
                                    : QStringLiteral("%1 conflicts.").arg(count));
    // Where the last resolution's safety backup went stays said, whatever is read after it.
    if (!m_resolvedNote.isEmpty())
        lblStatus->setText(m_resolvedNote + QLatin1Char(' ') + lblStatus->text());
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
    lblTitle->setText(c ? QStringLiteral("<b>%1</b> (%2)").arg(capitalized(nameOf(*c)).toHtmlEscaped(), c->tool)
                        : QString());
    lblRecord->setText(c ? describe(*c, c->record, QStringLiteral("This computer's version, under the record's name."))
                         : QString());
    lblCopy->setText(c ? describe(*c, c->copy, otherOrigin(*c)) : QString());
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
    // The fields that differ first, marked; the same ones after them, shown when asked for.
    QList<QTreeWidgetItem*> differing;
    QList<QTreeWidgetItem*> same;
    const QList<SyncConflicts::Row> rows = SyncConflicts::compare(*c);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const SyncConflicts::Row& row = rows[i];
        auto* item =
            new QTreeWidgetItem({row.caption, shown(asShown(*c, i, row.record)), shown(asShown(*c, i, row.copy))});
        if (row.differs) {
            for (int column : {ColCaption, ColRecord, ColCopy}) {
                item->setFont(column, bold);
                item->setBackground(column, tint);
            }
            item->setData(ColCaption, Qt::AccessibleTextRole, row.caption + QStringLiteral(", differs"));
        }
        (row.differs ? differing : same) << item;
    }
    tvwCompare->addTopLevelItems(differing + same);
    for (QTreeWidgetItem* item : std::as_const(same))
        item->setHidden(!chkShowSame->isChecked() && !differing.isEmpty());
    chkShowSame->setText(QStringLiteral("Show the %1 fields that are the same").arg(same.size()));
    chkShowSame->setVisible(!same.isEmpty() && !differing.isEmpty());
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
    m_resolvedNote = QStringLiteral("%1 is resolved. Both versions are in the safety backup \"%2\". File > Restore "
                                    "Data lists it.")
                         .arg(capitalized(nameOf(conflict)), QDir::toNativeSeparators(result.safetyBackup));
    fill();
    emit resolved(conflict.vehicle);
    // A list kept whole may name records whose own conflicts show only now.
    if (conflict.isList())
        refresh();
}
