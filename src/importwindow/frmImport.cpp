#include "importwindow/frmImport.h"

#include "common/DataFolder.h"
#include "ui/PlatformServices.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QStandardPaths>

namespace {

using ImportMapping::Kind;

const QString Title = QStringLiteral("Import from CSV");
constexpr int ShownValues = 3;

Kind kindAt(int index)
{
    return index == 0 ? Kind::Vehicles : index == 1 ? Kind::Maintenance : Kind::Parts;
}

int indexOf(Kind kind)
{
    return kind == Kind::Vehicles ? 0 : kind == Kind::Maintenance ? 1 : 2;
}

} // namespace

frmImport::frmImport(QWidget* parent) : QDialog(parent)
{
    setupUi(this);
    // The first values share what room is left, so that the Field column is always in view.
    tblMapping->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tblMapping->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    tblMapping->setTextElideMode(Qt::ElideRight);
    tblMapping->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lblNames->hide();
    tblNames->hide();
    connect(cboDates, &QComboBox::activated, this, &frmImport::refreshPreview);
    connect(tblNames, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!m_source || item->column() != 1)
            return;
        m_source->mapping.renamed.insert(tblNames->item(item->row(), 0)->data(Qt::UserRole).toString(),
                                         item->text().trimmed());
        refreshPreview();
    });
    connect(cmdBrowse, &QPushButton::clicked, this, &frmImport::cmdBrowse_Click);
    connect(cboKind, &QComboBox::activated, this, &frmImport::cboKind_Click);
    connect(cboVehicle, &QComboBox::currentTextChanged, this, &frmImport::refreshPreview);
    connect(optSkip, &QRadioButton::toggled, this, &frmImport::refreshPreview);
    connect(cmdImport, &QPushButton::clicked, this, &frmImport::cmdImport_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    cmdImport->setEnabled(false);
}

void frmImport::start(const QString& shownVehicle)
{
    cboVehicle->clear();
    cboVehicle->addItems(VehicleFiles::LoadVehicleList());
    // The records go to the vehicle the user is looking at, unless they choose another.
    cboVehicle->setCurrentIndex(std::max(0, cboVehicle->findText(shownVehicle)));
    show();
    raise();
    activateWindow();
    if (!m_source)
        cmdBrowse_Click();
}

void frmImport::cmdBrowse_Click()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(folder).isDir())
        folder = QDir::homePath();
    const auto path = platform().openFileDialog(
        QStringLiteral("Spreadsheet Files (*.csv;*.txt;*.ods;*.xlsx)|*.csv;*.txt;*.ods;*.xlsx|All Files (*.*)|*.*"),
        folder, Title);
    if (path)
        openFile(*path);
}

bool frmImport::openFile(const QString& path)
{
    CsvTable::Result read = CsvTable::readFile(path);
    if (!read.table) {
        platform().messageBox(
            QStringLiteral("\"%1\" cannot be imported.\n\n%2").arg(QDir::toNativeSeparators(path), read.error), Title,
            MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }
    Import::Source s{path, std::move(*read.table), {}};
    auto known = ImportMapping::ownExport(s.table.headers);
    if (!known)
        known = ImportMapping::lubeLogger(s.table.headers);
    s.mapping = known ? *known : ImportMapping::prefilled(ImportMapping::guessKind(s.table.headers), s.table.headers);
    m_source = std::move(s);
    txtFile->setText(QDir::toNativeSeparators(path));
    cboKind->setCurrentIndex(indexOf(m_source->mapping.kind));
    fillMapping();
    return true;
}

void frmImport::cboKind_Click()
{
    if (!m_source)
        return;
    m_source->mapping = ImportMapping::prefilled(kindAt(cboKind->currentIndex()), m_source->table.headers);
    fillMapping();
}

void frmImport::fillMapping()
{
    const Import::Source& s = *m_source;
    const Kind kind = s.mapping.kind;
    cboVehicle->setEnabled(kind != Kind::Vehicles);
    tblMapping->clearContents();
    tblMapping->setRowCount(int(s.table.headers.size()));
    const QList<ImportMapping::Choice> choices = ImportMapping::choices(kind);
    for (int c = 0; c < s.table.headers.size(); ++c) {
        tblMapping->setItem(c, 0, new QTableWidgetItem(s.table.headers[c]));
        QStringList first;
        for (qsizetype r = 0; r < std::min(qsizetype(ShownValues), s.table.rowCount()); ++r)
            first << s.table.value(r, c).toString().simplified();
        tblMapping->setItem(c, 1, new QTableWidgetItem(first.join(QStringLiteral(", "))));
        auto* field = new QComboBox(tblMapping);
        for (const ImportMapping::Choice& choice : choices)
            field->addItem(choice.caption, choice.target);
        field->setCurrentIndex(field->findData(s.mapping.columns.value(c, ImportMapping::Notes)));
        connect(field, &QComboBox::activated, this, [this, c, field] {
            m_source->mapping.columns[c] = field->currentData().toInt();
            refreshPreview();
        });
        tblMapping->setCellWidget(c, 2, field);
    }
    refreshPreview();
}

Import::Source frmImport::source() const
{
    Import::Source s = *m_source;
    s.mapping.vehicle = cboVehicle->currentText().trimmed();
    if (cboDates->currentIndex() > 0)
        s.mapping.dateOrder =
            cboDates->currentIndex() == 1 ? ImportDates::Order::DayFirst : ImportDates::Order::MonthFirst;
    return s;
}

Import::Existing frmImport::existingNames() const
{
    return optFill->isChecked() ? Import::Existing::FillEmpty : Import::Existing::Skip;
}

void frmImport::refreshPreview()
{
    if (!m_source)
        return;
    const Import::Preview preview = Import::preview({source()}, existingNames());
    txtPreview->setPlainText(preview.text());
    {
        const QSignalBlocker quiet(tblNames);
        tblNames->setRowCount(int(preview.renamed.size()));
        int row = 0;
        for (auto it = preview.renamed.cbegin(); it != preview.renamed.cend(); ++it, ++row) {
            auto* name = new QTableWidgetItem(Import::printable(it.key()));
            name->setFlags(name->flags() & ~Qt::ItemIsEditable);
            name->setData(Qt::UserRole, it.key());
            tblNames->setItem(row, 0, name);
            tblNames->setItem(row, 1, new QTableWidgetItem(*it));
        }
    }
    lblNames->setVisible(!preview.renamed.isEmpty());
    tblNames->setVisible(!preview.renamed.isEmpty());
    cmdImport->setEnabled(preview.error.isEmpty() && !preview.writes.isEmpty());
}

void frmImport::cmdImport_Click()
{
    if (!m_source)
        return;
    Import::Outcome outcome;
    {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
        outcome = Import::run({source()}, existingNames());
    }
    if (outcome && !outcome.safetyBackup.isEmpty())
        emit imported();
    platform().messageBox(Import::outcomeText(outcome), Title, MsgButtons::Ok,
                          outcome ? MsgIcon::Information : MsgIcon::Warning);
    if (outcome) {
        m_source.reset();
        accept();
    }
}
