#include "frmAutoMain.h"

#include "CheckBoxValue.h"
#include "DataFolder.h"
#include "EntryLog.h"
#include "FieldGuard.h"
#include "Fonts.h"
#include "HelpBrowser.h"
#include "LengthLimits.h"
#include "MenuShortcutFilter.h"
#include "NameOrder.h"
#include "PlatformServices.h"
#include "ProgramEnd.h"
#include "RecordFile.h"
#include "RecordSave.h"
#include "SaveReport.h"
#include "WindowLook.h"
#include "frmAutoAbout.h"
#include "frmAutoPic.h"
#include "frmChangePass.h"
#include "frmDueMaint.h"
#include "modGlobalVars.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QListView>
#include <QScreen>
#include <QStringListModel>
#include <QTabBar>

#include <algorithm>

namespace {

bool g_dueCheckAtStart = false;

} // namespace

frmAutoMain::frmAutoMain(QWidget* parent) : QMainWindow(parent)
{
    adoptAsInstance();
    {
        const InstalledFontNames installedNames;
        setupUi(this);
    }
    liftLengthLimits(this);

    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // Fixed single border: the client area below the menu bar is 8175 x 7785 twips.
    setFixedSize(centralwidget->minimumWidth(), centralwidget->minimumHeight() + menubar->sizeHint().height());

    // Tab captions: navy, Comic Sans MS 9 pt bold (the form cannot reach the tab bar itself).
    QFont tabFont(QStringLiteral("Comic Sans MS"), 9, QFont::Bold);
    SSTab1->tabBar()->setFont(tabFont);
    // Navy only where it stays readable on the theme's tabs.
    const QPalette tabs = SSTab1->tabBar()->palette();
    const QColor navy = WindowLook::readableText(QColor(0x00, 0x00, 0x80), tabs.color(QPalette::Window),
                                                 tabs.color(QPalette::WindowText));
    for (int i = 0; i < SSTab1->count(); ++i)
        SSTab1->tabBar()->setTabTextColor(i, navy);

    // A plain list of names: a full list (32,767) loads in one step.
    cboVehicle->setModel(new QStringListModel(cboVehicle));
    cboVehicle->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    if (auto* list = qobject_cast<QListView*>(cboVehicle->view()))
        list->setUniformItemSizes(true); // the selector may hold 32,767 names

    // The form gives page controls' places from the tab control's corner, as
    // the original's tab control measured them; they are moved below the tabs
    // whenever the page area is placed.
    m_pageStack = tabInfo->parentWidget();
    for (QWidget* page : {tabInfo, tabMaint, tabParts})
        for (QWidget* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            m_pagePositions.insert(child, child->pos());
    m_pageStack->installEventFilter(this);
    placePages();

    m_infoPage = {
        {txtIMake, InfoControl::Text},      // "Make:"
        {txtIModel, InfoControl::Text},     // "Model:"
        {txtIYear, InfoControl::Text},      // "Year:"
        {txtIColor, InfoControl::Text},     // "Color:"
        {txtIEngine, InfoControl::Text},    // "Engine:"
        {txtIDoors, InfoControl::Text},     // "Doors:"
        {txtIMileage, InfoControl::Text},   // "Original Mileage:"
        {optIAuto, InfoControl::Choice},    // "Automatic"
        {optIManual, InfoControl::Choice},  // "Manual (Stick)"
        {chkPic, InfoControl::NotStored},   // the picture window, shown or not
        {txtILocation, InfoControl::Text},  // "Vehicle was Purchased at:"
        {txtIDatePurch, InfoControl::Text}, // "Date Purchased:"
        {txtIWarranty, InfoControl::Text},  // "Warranty:"
        {txtIInsName, InfoControl::Text},   // "Insurance Company:"
        {txtIInsDate, InfoControl::Text},   // "Insured since:"
        {optINew, InfoControl::Choice},     // "New"
        {optIUsed, InfoControl::Choice},    // "Used"
        {txtINotes, InfoControl::Notes},    // "Notes:"
    };
    // Text boxes save when they lose the focus; option buttons save on every
    // click (and only then: loading sets them quietly).
    QList<QWidget*> stored;
    QList<bool> truth;
    for (const InfoControl& info : std::as_const(m_infoPage)) {
        if (info.kind != InfoControl::NotStored) {
            stored << info.control;
            truth << (info.kind == InfoControl::Choice);
        }
        switch (info.kind) {
        case InfoControl::Text:
            FieldGuard::install(static_cast<QLineEdit*>(info.control));
            registerFieldSaver(info.control, [this] { SaveVehicleInfo(); });
            break;
        case InfoControl::Notes:
            FieldGuard::install(static_cast<QPlainTextEdit*>(info.control));
            registerFieldSaver(info.control, [this] { SaveVehicleInfo(); });
            break;
        case InfoControl::Choice:
            connect(static_cast<QRadioButton*>(info.control), &QRadioButton::clicked, this,
                    &frmAutoMain::SaveVehicleInfo);
            break;
        case InfoControl::NotStored:
            break;
        }
    }

    m_vehicleRecord = FieldMerge(mergeFields(stored, truth));

    // Ctrl+X ends the program even while the user types in a text box.
    m_menuShortcuts = new MenuShortcutFilter(this);

    connectHandlers();
    setUpEntryLogs();
    repairTabOrder();
    WindowLook::apply(this);
}

frmAutoMain::~frmAutoMain()
{
    delete m_menuShortcuts;
    // The fields outlive this part of the window while QWidget deletes its
    // children; their goodbyes must not reach the saver table any more.
    for (auto it = m_savers.keyBegin(); it != m_savers.keyEnd(); ++it)
        disconnect(*it, &QObject::destroyed, this, nullptr);
    m_savers.clear();
}

void frmAutoMain::connectHandlers()
{
    // First of all: an edit in progress is stored before any command acts.
    for (QAction* action : findChildren<QAction*>())
        if (!action->isSeparator() && !action->menu())
            connect(action, &QAction::triggered, this, &frmAutoMain::commitPendingEdit);
    for (QPushButton* button : findChildren<QPushButton*>())
        connect(button, &QPushButton::clicked, this, &frmAutoMain::commitPendingEdit);

    connect(cboVehicle, &QComboBox::activated, this, &frmAutoMain::cboVehicle_Click);
    connect(cmdAddVehicle, &QPushButton::clicked, this, &frmAutoMain::cmdAddVehicle_Click);
    connect(mnuAddVehicle, &QAction::triggered, this, &frmAutoMain::cmdAddVehicle_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &frmAutoMain::cmdRemove_Click);
    connect(mnuRemVehicle, &QAction::triggered, this, &frmAutoMain::cmdRemove_Click);
    connect(cmdPrint, &QPushButton::clicked, this, &frmAutoMain::cmdPrint_Click);
    connect(mnuPrint, &QAction::triggered, this, &frmAutoMain::cmdPrint_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmAutoMain::cmdClose_Click);
    connect(mnuExit, &QAction::triggered, this, &frmAutoMain::mnuExit_Click);
    connect(mnuPassword, &QAction::triggered, this, &frmAutoMain::mnuPassword_Click);
    connect(mnuReadme, &QAction::triggered, this, &frmAutoMain::mnuReadme_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmAutoMain::mnuAbout_Click);
    connect(mnuBackup, &QAction::triggered, this, &frmAutoMain::mnuBackup_Click);
    connect(mnuRestore, &QAction::triggered, this, &frmAutoMain::mnuRestore_Click);
    connect(mnuExport, &QAction::triggered, this, &frmAutoMain::mnuExport_Click);
    connect(mnuReport, &QAction::triggered, this, &frmAutoMain::mnuReport_Click);
    // A report is of the selected vehicle: enabled exactly while a vehicle can be removed.
    connect(mnuRemVehicle, &QAction::enabledChanged, mnuReport, &QAction::setEnabled);
    connect(mnuDueMaint, &QAction::triggered, this, &frmAutoMain::mnuDueMaint_Click);

    // A check box's rule runs whenever its value changes, by the user or the program.
    connect(chkPic, &QCheckBox::toggled, this, &frmAutoMain::chkPic_Click);
}

// ---------------------------------------------------------------------------
// Field saves

void frmAutoMain::registerFieldSaver(QWidget* field, std::function<void()> save)
{
    if (!m_savers.contains(field)) {
        field->installEventFilter(this);
        connect(field, &QObject::destroyed, this, [this](QObject* gone) { m_savers.remove(gone); });
    }
    m_savers.emplace(field, std::move(save));
}

void frmAutoMain::runSaver(QWidget* field)
{
    const auto it = m_savers.constFind(field);
    if (it == m_savers.constEnd() || m_savesHeld > 0 || m_saving || !field->isEnabled())
        return;
    // A save that reports a failure opens a message box, which takes the focus
    // again; that must not save a second time inside the first.
    m_saving = true;
    const auto save = *it;
    save();
    m_saving = false;
}

void frmAutoMain::commitPendingEdit()
{
    if (QWidget* field = focusWidget())
        runSaver(field);
}

bool frmAutoMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && watched->isWidgetType() && m_savers.contains(watched))
        runSaver(static_cast<QWidget*>(watched));
    else if (watched == m_pageStack && (event->type() == QEvent::Move || event->type() == QEvent::Show))
        placePages();
    return QMainWindow::eventFilter(watched, event);
}

void frmAutoMain::placePages()
{
    const QPoint offset = m_pageStack->pos();
    for (auto it = m_pagePositions.cbegin(); it != m_pagePositions.cend(); ++it)
        it.key()->move(it.value() - offset);
}

// ---------------------------------------------------------------------------
// Opening and ending

void frmAutoMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    placePages();
    if (!m_loaded) {
        m_loaded = true;
        if (QScreen* s = screen())
            move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
        Form_Load();
    }
}

void frmAutoMain::Form_Load()
{
    // The picture window starts hidden. It always knows the selection, so that
    // "Change Picture" is enabled only while there is a vehicle to store it for.
    frmAutoPic* picture = frmAutoPic::instance();
    connect(picture, &frmAutoPic::pictureClosed, this, [this] { chkPic->setChecked(false); });
    connect(cboVehicle, &QComboBox::currentIndexChanged, picture,
            [this, picture] { picture->setVehicle(selectedVehicle()); });
    picture->setClaims([this] { return fileClaims(); });
    DataFolder::CreateMakerFolder();
    LoadVehicleList();
    LoadVehiclePicture();
    if (g_dueCheckAtStart)
        frmDueMaint::checkAtStart(this, [this](const DueScan::Result& result) { dueWindow()->showResult(result); });
}

void frmAutoMain::setDueCheckAtStart(bool check)
{
    g_dueCheckAtStart = check;
}

void frmAutoMain::endProgram()
{
    if (m_ending)
        return;
    m_ending = true;
    commitPendingEdit();
    ProgramEnd::quit();
}

void frmAutoMain::cmdClose_Click()
{
    endProgram();
}

void frmAutoMain::mnuExit_Click()
{
    endProgram();
}

void frmAutoMain::closeEvent(QCloseEvent* event)
{
    if (!m_ending) {
        commitPendingEdit();
        FieldSaveHold hold(this);
        frmAutoPic::instance()->hide();
        chkPic->setChecked(false);
        endProgram();
    }
    event->accept();
}

// ---------------------------------------------------------------------------
// The vehicle list

QString frmAutoMain::selectedVehicle() const
{
    return cboVehicle->currentIndex() < 0 ? QString() : cboVehicle->currentText();
}

bool frmAutoMain::vehicleListChangeable()
{
    if (m_listUnreadable.isEmpty())
        return true;
    tellListLocked(VehicleFiles::inData(VehicleFiles::listFile()), m_listUnreadable, QString());
    return false;
}

QStringList frmAutoMain::vehicleNames() const
{
    return static_cast<QStringListModel*>(cboVehicle->model())->stringList();
}

void frmAutoMain::insertVehicleSorted(const QString& name)
{
    // After every entry that sorts before or equal to it: a duplicate goes
    // after its twin.
    const NameOrder::Less less;
    int low = 0;
    int high = cboVehicle->count();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (less(name, cboVehicle->itemText(mid)))
            high = mid;
        else
            low = mid + 1;
    }
    cboVehicle->insertItem(low, name);
    cboVehicle->setCurrentIndex(low);
}

void frmAutoMain::cboVehicle_Click()
{
    if (holdAfterFailedSave())
        return;
    forgetFailedSaves();
    m_shownVehicle = QPersistentModelIndex(cboVehicle->model()->index(cboVehicle->currentIndex(), 0));
    FieldSaveHold hold(this);
    cmdRemove->setEnabled(true);
    mnuRemVehicle->setEnabled(true);
    lblMaintSelected->setText(QStringLiteral("Please select maintenance"));
    lblPPartSelected->setText(QStringLiteral("Please select a part"));
    ClearAllFields();
    LoadVehicleInfo();
    EnableVehicleControls();
    DisableEntryDetails();
    SaveVehicleInfo();
    frmAutoPic::instance()->picItem->hide();
    LoadVehiclePicture();
    frmAutoPic::instance()->setWindowTitle(selectedVehicle());
}

// The first attempt to choose another vehicle after a save of the shown one
// failed keeps the shown one: what could not be stored is still on screen.
bool frmAutoMain::holdAfterFailedSave()
{
    // Any choice counts, the shown vehicle's too: choosing it again would reload it from disk.
    const bool failed = m_vehicleSaveFailed || m_maintLog->saveFailed() || m_partsLog->saveFailed();
    if (!failed || !m_shownVehicle.isValid())
        return false;
    const EntryLog* log = m_maintLog->saveFailed() ? m_maintLog : m_partsLog;
    const QString what = m_vehicleSaveFailed ? m_shownVehicle.data().toString() : log->current();
    forgetFailedSaves();                               // the next attempt moves on
    cboVehicle->setCurrentIndex(m_shownVehicle.row()); // the picture window follows
    platform().messageBox(heldTextMessage(what), QString(), MsgButtons::Ok, MsgIcon::Warning);
    return true;
}

void frmAutoMain::forgetFailedSaves()
{
    m_vehicleSaveFailed = false;
    m_maintLog->forgetFailedSave();
    m_partsLog->forgetFailedSave();
}

void frmAutoMain::cmdAddVehicle_Click()
{
    if (!vehicleListChangeable())
        return;
    if (cboVehicle->count() >= VehicleFiles::MaxVehicles) {
        platform().messageBox(QStringLiteral("The vehicle list is full: Gearbook keeps at most %L1 vehicles.\n\n"
                                             "Please remove a vehicle before adding another one.")
                                  .arg(VehicleFiles::MaxVehicles),
                              QString(), MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    const QString name =
        platform().inputBox(QStringLiteral("Please enter a name or description of the new vehicle being added to "
                                           "the database."),
                            QStringLiteral("Add Vehicle"));
    if (name.trimmed().isEmpty())
        return;
    if (const auto problem = newVehicleProblem(name)) {
        platform().messageBox(*problem, QStringLiteral("Add Vehicle"), MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    forgetFailedSaves(); // adding is a choice to go on; the failure was reported
    insertVehicleSorted(name);
    cboVehicle_Click();
    frmAutoPic::instance()->picItem->hide();
    SaveVehicleList(name, true);
}

void frmAutoMain::cmdRemove_Click()
{
    const QString vehicle = selectedVehicle();
    if (vehicle.isEmpty()) {
        platform().messageBox(QStringLiteral("Please select a vehicle to remove."));
        return;
    }
    if (!vehicleListChangeable())
        return;
    if (platform().messageBox(
            QStringLiteral("You are about to remove %1. Are you sure you want to do this?").arg(vehicle),
            QStringLiteral("Remove Vehicle"), MsgButtons::YesNo) != MsgAnswer::Yes)
        return;

    FieldSaveHold hold(this);
    const int index = cboVehicle->currentIndex();
    QStringList remaining = vehicleNames();
    remaining.removeAt(index);
    // A twin of the same name lives on in the same files: only the entry goes.
    if (!remaining.contains(vehicle))
        removeVehicleFiles(vehicle, remaining);

    cboVehicle->removeItem(index);
    cboVehicle->setCurrentIndex(-1);
    forgetFailedSaves();
    frmAutoPic::instance()->showNoVehicle();
    SaveVehicleList(vehicle, false);
    ClearAllFields();
    LoadVehicleInfo();
    showNoVehicle();
}

void frmAutoMain::showNoVehicle()
{
    cmdRemove->setEnabled(false);
    mnuRemVehicle->setEnabled(false);
    for (QWidget* control : std::initializer_list<QWidget*>{cmdAddMaint, cmdPAddPart, cmdRemMaint, cmdPRemPart})
        control->setEnabled(false);
    for (QAction* action : {mnuAddMaint, mnuAddPart, mnuRemMaint, mnuRemPart})
        action->setEnabled(false);
    DisableEntryDetails();
    DisableVehicleInfo();
    lblMaintSelected->setText(QStringLiteral("Please select maintenance"));
    lblPPartSelected->setText(QStringLiteral("Please select a part"));
}

// ---------------------------------------------------------------------------
// Page-state procedures

void frmAutoMain::setOption(QRadioButton* button, bool chosen)
{
    // An exclusive option button cannot be unchosen by itself.
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(chosen);
    button->setAutoExclusive(exclusive);
}

void frmAutoMain::ClearAllFields()
{
    for (const InfoControl& info : std::as_const(m_infoPage)) {
        switch (info.kind) {
        case InfoControl::Text:
            static_cast<QLineEdit*>(info.control)->clear();
            break;
        case InfoControl::Choice:
            setOption(static_cast<QRadioButton*>(info.control), false);
            break;
        case InfoControl::Notes:
            static_cast<QPlainTextEdit*>(info.control)->clear();
            break;
        case InfoControl::NotStored:
            break;
        }
    }
    m_maintLog->clearList();
    for (QLineEdit* field : {txtMLastInsp, txtMNextInsp, txtMPMileage, txtMNMileage, txtMShop})
        field->clear();
    txtMNotes->clear();
    m_partsLog->clearList();
    for (QLineEdit* field : {txtPLocation, txtPDatePurch, txtPBrand, txtPWarranty})
        field->clear();
    txtPSpecs->clear();
    for (QLineEdit* field : {txtPDateInst, txtPNumParts})
        field->clear();
    txtPNotes->clear();
}

void frmAutoMain::EnableVehicleControls()
{
    for (const InfoControl& info : std::as_const(m_infoPage))
        info.control->setEnabled(true);
    for (QWidget* control : std::initializer_list<QWidget*>{lstMaintList, lstPParts, cmdAddMaint, cmdRemMaint})
        control->setEnabled(true);
    mnuAddMaint->setEnabled(true);
    mnuRemMaint->setEnabled(true);
    cmdPAddPart->setEnabled(true);
    mnuAddPart->setEnabled(true);
    cmdPRemPart->setEnabled(true);
    mnuRemPart->setEnabled(true);
}

void frmAutoMain::DisableEntryDetails()
{
    for (QWidget* control : std::initializer_list<QWidget*>{
             txtMLastInsp, txtMNextInsp, txtMPMileage, txtMNMileage, txtMShop, txtMNotes, txtPLocation, txtPDatePurch,
             txtPBrand, txtPWarranty, txtPSpecs, txtPDateInst, txtPNumParts, txtPNotes, cmdRemMaint, cmdPRemPart})
        control->setEnabled(false);
    mnuRemMaint->setEnabled(false);
    mnuRemPart->setEnabled(false);
}

void frmAutoMain::DisableVehicleInfo()
{
    for (const InfoControl& info : std::as_const(m_infoPage))
        info.control->setEnabled(false);
}

// ---------------------------------------------------------------------------
// The menus (printing and the report: ReportMenu.cpp)

void frmAutoMain::mnuPassword_Click()
{
    // Modeless; its Cancel puts back the check boxes recorded here.
    frmChangePass* dialog = frmChangePass::instance();
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    modGlobalVars::SavedSkipLogin = CheckBoxValue::get(dialog->chkLoginScreen);
    modGlobalVars::SavedRemember = CheckBoxValue::get(dialog->chkRemPass);
    modGlobalVars::SavedChangeLogin = CheckBoxValue::get(dialog->chkChangePass);
}

void frmAutoMain::mnuReadme_Click()
{
    modGlobalVars::CurrentAddress = QDir::currentPath() + QStringLiteral("/ReadMe.htm");
    HelpBrowser::showAddress(modGlobalVars::CurrentAddress); // modeless; a browser not yet loaded opens it
    modGlobalVars::RestoreStartDir();
}

void frmAutoMain::mnuAbout_Click()
{
    frmAutoAbout::showAbout();
}

void frmAutoMain::mnuDueMaint_Click()
{
    dueWindow()->showAndRefresh();
}

void frmAutoMain::reloadRecords()
{
    // As for a change that the sync tool delivered: what the user is typing stays.
    reloadFromDisk();
    if (frmDueMaint* due = frmDueMaint::existing(); due && due->isVisible())
        due->refresh();
}

frmDueMaint* frmAutoMain::dueWindow()
{
    frmDueMaint* window = frmDueMaint::instance();
    connect(window, &frmDueMaint::entryChosen, this, &frmAutoMain::selectMaintEntry, Qt::UniqueConnection);
    return window;
}

bool frmAutoMain::selectMaintEntry(const QString& vehicle, const QString& entry)
{
    const int index = cboVehicle->findText(vehicle, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        return false;
    commitPendingEdit();
    if (index != cboVehicle->currentIndex()) {
        cboVehicle->setCurrentIndex(index);
        cboVehicle_Click();
        if (cboVehicle->currentIndex() != index)
            return false; // held: the shown vehicle's text could not be stored
    }
    SSTab1->setCurrentWidget(tabMaint);
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    if (entry.isEmpty())
        return true;
    if (!m_maintLog->names().contains(entry))
        return false;
    m_maintLog->select(entry);
    if (m_maintLog->selectedName() != entry)
        return false; // held: the shown entry's text could not be stored
    lstMaintList->scrollTo(lstMaintList->currentIndex());
    lstMaintList->setFocus();
    return true;
}

// ---------------------------------------------------------------------------
// Calls into the other pages and windows

void frmAutoMain::LoadMaintList()
{
    m_maintLog->LoadList();
}

void frmAutoMain::LoadPartsList()
{
    m_partsLog->LoadList();
}

QString frmAutoMain::CurrentMaint() const
{
    return m_maintLog->current();
}

QString frmAutoMain::CurrentPart() const
{
    return m_partsLog->current();
}

// Both pages are one EntryLog each, told apart by their texts, files and fields.
void frmAutoMain::setUpEntryLogs()
{
    EntryLogHooks hooks;
    hooks.vehicle = [this] { return selectedVehicle(); };
    hooks.vehicles = [this] { return vehicleNames(); };
    // No commitPendingEdit hook: every menu entry of this window already stores
    // the edit in progress before its own handler runs (connectHandlers).
    hooks.registerFieldSaver = [this](QWidget* field, std::function<void()> save) {
        registerFieldSaver(field, std::move(save));
    };
    hooks.refreshAfterRemoval = [this] { refreshAfterEntryRemoval(); };

    m_maintLog = new EntryLog(EntryLogKind::maintenance(),
                              {lstMaintList,
                               cmdAddMaint,
                               cmdRemMaint,
                               mnuAddMaint,
                               mnuRemMaint,
                               lblMaintSelected,
                               {txtMLastInsp, txtMNextInsp, txtMPMileage, txtMNMileage, txtMShop, txtMNotes}},
                              hooks, this);
    m_partsLog = new EntryLog(
        EntryLogKind::parts(),
        {lstPParts,
         cmdPAddPart,
         cmdPRemPart,
         mnuAddPart,
         mnuRemPart,
         lblPPartSelected,
         {txtPLocation, txtPDatePurch, txtPBrand, txtPWarranty, txtPSpecs, txtPDateInst, txtPNumParts, txtPNotes}},
        hooks, this);
    m_maintLog->setSibling(m_partsLog);
    m_partsLog->setSibling(m_maintLog);
}

// The form's keyboard order, laid again link by link. Qt 6.4 splices the
// chain wrongly when the tab control is followed by its own pages' fields
// (it moves the tab control's whole run of descendants), which splits the
// chain into separate loops: Tab then never reaches the Parts page's last
// field or the buttons at the bottom. Linking through the tab bar, which is
// not a compound widget, puts every control back into one loop.
void frmAutoMain::repairTabOrder()
{
    QList<QWidget*> order = {cboVehicle, cmdAddVehicle, cmdRemove, SSTab1->tabBar()};
    for (const InfoControl& info : std::as_const(m_infoPage))
        order << info.control;
    order << QList<QWidget*>{lstMaintList, cmdAddMaint,   cmdRemMaint, txtMLastInsp, txtMNextInsp, txtMPMileage,
                             txtMNMileage, txtMShop,      txtMNotes,   lstPParts,    cmdPAddPart,  cmdPRemPart,
                             txtPLocation, txtPDatePurch, txtPBrand,   txtPWarranty, txtPSpecs,    txtPNumParts,
                             txtPNotes,    txtPDateInst,  cmdPrint,    cmdClose};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
}

// After an entry or a part is removed: every page of the vehicle read again,
// and neither page with an entry selected.
void frmAutoMain::refreshAfterEntryRemoval()
{
    FieldSaveHold hold(this);
    ClearAllFields();
    LoadVehicleInfo();
    m_maintLog->resetToNoEntry();
    m_partsLog->resetToNoEntry();
}

void frmAutoMain::LoadVehiclePicture()
{
    frmAutoPic::instance()->loadPicture(selectedVehicle());
}

void frmAutoMain::chkPic_Click()
{
    SaveVehicleInfo();
    if (chkPic->isChecked())
        frmAutoPic::instance()->show();
    else
        frmAutoPic::instance()->hide();
}
