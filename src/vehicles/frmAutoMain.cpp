#include "vehicles/frmAutoMain.h"

#include "access/CheckBoxValue.h"
#include "access/frmChangePass.h"
#include "common/DataFolder.h"
#include "common/modGlobalVars.h"
#include "duewindow/frmDueMaint.h"
#include "help/HelpBrowser.h"
#include "help/frmAutoAbout.h"
#include "ui/Fonts.h"
#include "ui/LengthLimits.h"
#include "ui/MenuShortcutFilter.h"
#include "ui/PlatformServices.h"
#include "ui/ProgramEnd.h"
#include "ui/WindowLook.h"
#include "vehicles/EntryLog.h"
#include "vehicles/FieldGuard.h"
#include "vehicles/VehicleInfoPage.h"
#include "vehicles/VehicleList.h"
#include "vehicles/frmAutoPic.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QTabBar>

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

    m_vehicles = new VehicleList(cboVehicle, {[this] { return fileClaims(); }}, this);

    // The form gives page controls' places from the tab control's corner, as
    // the original's tab control measured them; they are moved below the tabs
    // whenever the page area is placed.
    m_pageStack = tabInfo->parentWidget();
    for (QWidget* page : {tabInfo, tabMaint, tabParts})
        for (QWidget* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            m_pagePositions.insert(child, child->pos());
    m_pageStack->installEventFilter(this);
    placePages();

    setUpInfoPage();

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
    return m_vehicles->selected();
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
    const bool failed = m_infoPage->saveFailed() || m_maintLog->saveFailed() || m_partsLog->saveFailed();
    if (!failed || !m_shownVehicle.isValid())
        return false;
    const EntryLog* log = m_maintLog->saveFailed() ? m_maintLog : m_partsLog;
    const QString what = m_infoPage->saveFailed() ? m_shownVehicle.data().toString() : log->current();
    forgetFailedSaves();                               // the next attempt moves on
    cboVehicle->setCurrentIndex(m_shownVehicle.row()); // the picture window follows
    platform().messageBox(heldTextMessage(what), QString(), MsgButtons::Ok, MsgIcon::Warning);
    return true;
}

void frmAutoMain::forgetFailedSaves()
{
    m_infoPage->forgetFailedSave();
    m_maintLog->forgetFailedSave();
    m_partsLog->forgetFailedSave();
}

void frmAutoMain::cmdAddVehicle_Click()
{
    const auto name = m_vehicles->askNewName();
    if (!name)
        return;
    forgetFailedSaves(); // adding is a choice to go on; the failure was reported
    m_vehicles->insertSorted(*name);
    cboVehicle_Click();
    frmAutoPic::instance()->picItem->hide();
    SaveVehicleList(*name, true);
}

void frmAutoMain::cmdRemove_Click()
{
    if (!m_vehicles->confirmRemoval())
        return;
    FieldSaveHold hold(this);
    const QString vehicle = m_vehicles->removeSelected();
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

void frmAutoMain::ClearAllFields()
{
    m_infoPage->clear();
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
    m_infoPage->setEnabled(true);
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
    m_infoPage->setEnabled(false);
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
// Calls into the pages and the other windows

// The page, described once: its controls in keyboard order, the vehicle
// file's values in the same order (VehicleInfoPage).
void frmAutoMain::setUpInfoPage()
{
    using C = VehicleInfoControl;
    VehicleInfoHooks hooks;
    hooks.vehicle = [this] { return selectedVehicle(); };
    hooks.claims = [this] { return fileClaims(); };
    hooks.registerFieldSaver = [this](QWidget* field, std::function<void()> save) {
        registerFieldSaver(field, std::move(save));
    };
    m_infoPage = new VehicleInfoPage(
        {
            {txtIMake, C::Text},      // "Make:"
            {txtIModel, C::Text},     // "Model:"
            {txtIYear, C::Text},      // "Year:"
            {txtIColor, C::Text},     // "Color:"
            {txtIEngine, C::Text},    // "Engine:"
            {txtIDoors, C::Text},     // "Doors:"
            {txtIMileage, C::Text},   // "Original Mileage:"
            {optIAuto, C::Choice},    // "Automatic"
            {optIManual, C::Choice},  // "Manual (Stick)"
            {chkPic, C::NotStored},   // the picture window, shown or not
            {txtILocation, C::Text},  // "Vehicle was Purchased at:"
            {txtIDatePurch, C::Text}, // "Date Purchased:"
            {txtIWarranty, C::Text},  // "Warranty:"
            {txtIInsName, C::Text},   // "Insurance Company:"
            {txtIInsDate, C::Text},   // "Insured since:"
            {optINew, C::Choice},     // "New"
            {optIUsed, C::Choice},    // "Used"
            {txtINotes, C::Notes},    // "Notes:"
        },
        hooks, this);
}

void frmAutoMain::LoadVehicleInfo()
{
    if (selectedVehicle().isEmpty())
        return; // no vehicle, no file
    m_infoPage->load();
    // The lists are loaded whatever became of the vehicle file: a list left
    // unloaded would be written back without its entries at the next add.
    LoadMaintList();
    LoadPartsList();
}

void frmAutoMain::SaveVehicleInfo()
{
    m_infoPage->save();
}

void frmAutoMain::LoadVehicleList()
{
    m_vehicles->load();
}

void frmAutoMain::SaveVehicleList(const QString& name, bool added)
{
    m_vehicles->save(name, added);
}

bool frmAutoMain::reloadFromDisk()
{
    if (m_savesHeld > 0 || m_saving)
        return false;
    bool changed = m_vehicles->reloadFromDisk();
    if (selectedVehicle().isEmpty())
        return changed;
    if (const auto shown = m_infoPage->reloadFromDisk())
        changed = *shown;
    changed = m_maintLog->reloadFromDisk() || changed;
    return m_partsLog->reloadFromDisk() || changed;
}

FileClaims frmAutoMain::fileClaims() const
{
    return m_maintLog->claims(); // the vehicles and both lists of the selection as shown
}

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
    hooks.vehicles = [this] { return m_vehicles->names(); };
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
    order << m_infoPage->controls();
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
