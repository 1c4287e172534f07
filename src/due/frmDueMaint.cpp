#include "frmDueMaint.h"

#include <QSettings>
#include <QShortcut>
#include <QStandardPaths>
#include <QtConcurrent/QtConcurrentRun>

namespace {

frmDueMaint* g_instance = nullptr;

constexpr int VehicleRole = Qt::UserRole;
constexpr int EntryRole = Qt::UserRole + 1;
enum Column { ColVehicle, ColEntry, ColNextDate, ColNextMileage, ColLastMileage };

const QString ShowAtStartKey = QStringLiteral("DueMaintenance/ShowAtStart");
const QString SpanKey = QStringLiteral("DueMaintenance/SpanDays");
constexpr int DefaultSpan = 30;

// The user's config folder, never the data folder. The file is named
// explicitly: QSettings keeps the first config path it sees for the whole run.
std::unique_ptr<QSettings> settings()
{
    return std::make_unique<QSettings>(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                           QStringLiteral("/Venbry Software/Gearbook.conf"),
                                       QSettings::IniFormat);
}

struct StartCheck {
    bool wanted = false;
    int span = DefaultSpan;
    DueScan::Result result;
};

} // namespace

frmDueMaint* frmDueMaint::instance()
{
    if (!g_instance)
        new frmDueMaint; // registers itself
    return g_instance;
}

frmDueMaint::frmDueMaint(QWidget* parent) : QWidget(parent, Qt::Window)
{
    if (!g_instance)
        g_instance = this;
    setupUi(this);
    tvwDue->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    const auto stored = settings();
    chkShowAtStart->setChecked(stored->value(ShowAtStartKey, true).toBool());
    spnDays->setValue(stored->value(SpanKey, DefaultSpan).toInt());

    connect(chkShowAtStart, &QCheckBox::toggled, this, [](bool on) { settings()->setValue(ShowAtStartKey, on); });
    connect(spnDays, &QSpinBox::valueChanged, this, [this](int days) {
        settings()->setValue(SpanKey, days);
        fill();
    });
    connect(tvwDue, &QTreeWidget::itemActivated, this, &frmDueMaint::rowActivated);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    new QShortcut(QKeySequence::Cancel, this, this, &QWidget::close);
    connect(&m_watcher, &QFutureWatcherBase::finished, this, [this] {
        m_result = m_watcher.result();
        m_haveResult = true;
        fill();
        emit scanFinished();
    });
}

frmDueMaint::~frmDueMaint()
{
    if (g_instance == this)
        g_instance = nullptr;
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
    const QLocale locale;
    const QDate today = QDate::currentDate();
    // A scan still running is left to finish; the watcher reports the newest.
    m_watcher.setFuture(QtConcurrent::run([locale, today] { return DueScan::scan(locale, today); }));
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

void frmDueMaint::checkAtStart(QObject* context, std::function<void(const DueScan::Result&)> whenDue)
{
    auto* watcher = new QFutureWatcher<StartCheck>(context);
    connect(watcher, &QFutureWatcherBase::finished, context, [watcher, whenDue = std::move(whenDue)] {
        const StartCheck check = watcher->result();
        watcher->deleteLater();
        if (check.wanted && DueScan::anythingDue(DueScan::rows(check.result, QDate::currentDate(), check.span)))
            whenDue(check.result);
    });
    const QLocale locale;
    const QDate today = QDate::currentDate();
    watcher->setFuture(QtConcurrent::run([locale, today] {
        StartCheck check;
        const auto stored = settings();
        check.wanted = stored->value(ShowAtStartKey, true).toBool();
        check.span = stored->value(SpanKey, DefaultSpan).toInt();
        if (check.wanted)
            check.result = DueScan::scan(locale, today);
        return check;
    }));
}

void frmDueMaint::fill()
{
    tvwDue->clear();
    if (!m_haveResult)
        return;
    const QDate today = QDate::currentDate();
    const QList<DueScan::Row> rows = DueScan::rows(m_result, today, spnDays->value());

    QFont bold = tvwDue->font();
    bold.setBold(true);
    QTreeWidgetItem* group = nullptr;
    int dueCount = 0;
    for (const DueScan::Row& row : rows) {
        if (!group || group->data(0, Qt::UserRole + 2).toInt() != row.kind) {
            static const char* const captions[] = {"Due", "Next date not understood", "Files that could not be read"};
            group = new QTreeWidgetItem(tvwDue, {QString::fromLatin1(captions[row.kind])});
            group->setData(0, Qt::UserRole + 2, row.kind);
            group->setFirstColumnSpanned(true);
            group->setFont(0, bold);
            group->setFlags(Qt::ItemIsEnabled);
        }
        auto* item = new QTreeWidgetItem(group);
        item->setText(ColVehicle, row.vehicle);
        item->setText(ColEntry, row.entry);
        item->setData(0, VehicleRole, row.vehicle);
        item->setData(0, EntryRole, row.entry);
        if (row.kind == DueScan::Row::FileUnreadable) {
            const QString text = QStringLiteral("\"%1\" %2").arg(row.file, row.reason);
            item->setText(ColNextDate, text);
            item->setToolTip(ColNextDate, text);
            continue;
        }
        item->setText(ColNextDate, row.nextDate);
        item->setText(ColNextMileage, row.nextMileage);
        item->setText(ColLastMileage, row.lastMileage);
        if (row.date)
            item->setToolTip(ColNextDate, QLocale().toString(*row.date, QLocale::LongFormat));
        if (row.kind == DueScan::Row::Due) {
            ++dueCount;
            // What makes it due stands out: a date already past, a mileage reached.
            if (row.date && *row.date <= today)
                item->setFont(ColNextDate, bold);
            if (row.byMileage)
                item->setFont(ColNextMileage, bold);
        }
    }
    tvwDue->expandAll();
    lblStatus->setText(dueCount == 0   ? QStringLiteral("Nothing is due within %1 days.").arg(spnDays->value())
                       : dueCount == 1 ? QStringLiteral("1 inspection is due.")
                                       : QStringLiteral("%1 inspections are due.").arg(dueCount));
}

void frmDueMaint::rowActivated(QTreeWidgetItem* item)
{
    const QString vehicle = item ? item->data(0, VehicleRole).toString() : QString();
    if (!vehicle.isEmpty())
        emit entryChosen(vehicle, item->data(0, EntryRole).toString());
}
