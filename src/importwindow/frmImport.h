#pragma once

#include "import/Import.h"
#include "ui/SingleInstance.h"
#include "ui_frmImport.h"

#include <QDialog>

#include <optional>

// File > "Import from CSV...": a spreadsheet file, the kind of records it
// holds (and their vehicle), which column fills which field (pre-filled from
// the headers), what to do with names that exist, and the preview of what
// will be added and skipped. Import writes it all after a safety backup.
class frmImport : public QDialog, public Ui::frmImport, public SingleInstance<frmImport> {
    Q_OBJECT

public:
    // Shows the dialog, the vehicle shown in the main window chosen, and asks for a file.
    void start(const QString& shownVehicle = QString());
    // Reads `path` and pre-fills the kind and the mapping; false, with a message, when it cannot be imported.
    bool openFile(const QString& path);
    // What the dialog would import, as it stands now.
    Import::Source source() const;
    Import::Existing existingNames() const;

    void cmdBrowse_Click();
    void cboKind_Click();
    void cmdImport_Click();

signals:
    // Records were written: the main window reads them again.
    void imported();

private:
    friend class SingleInstance<frmImport>;
    explicit frmImport(QWidget* parent = nullptr);

    void fillMapping();
    void refreshPreview();

    std::optional<Import::Source> m_source;
};
