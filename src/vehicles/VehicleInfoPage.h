#pragma once

#include "common/FileClaims.h"
#include "common/RecordStore.h"
#include "sync/FieldMerge.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QRadioButton;
class QWidget;

// One control of the "Vehicle Info." page and what the vehicle file keeps of it.
struct VehicleInfoControl {
    enum Kind {
        Text,      // a QLineEdit: its text
        Choice,    // a QRadioButton: whether it is chosen
        Notes,     // the QPlainTextEdit: its stored text (FieldGuard)
        NotStored, // kept elsewhere (chkPic)
    };
    QWidget* control = nullptr;
    Kind kind = Text;
};

// What the page needs from the window it sits in.
struct VehicleInfoHooks {
    // The selection: the vehicle whose file is read and written.
    std::function<QString()> vehicle;
    // Who claims which file; every write of the page goes through a store asking it.
    std::function<FileClaims()> claims;
    // Makes `save` run when `field` loses the focus.
    std::function<void(QWidget* field, std::function<void()> save)> registerFieldSaver;
};

// The "Vehicle Info." page: the vehicle file of the selection, loaded, saved
// field-wise whenever a text box loses the focus or an option is clicked, and
// shown again when it changes on disk.
class VehicleInfoPage : public QObject {
    Q_OBJECT
public:
    // `controls` is the page described once, in keyboard order. The vehicle
    // file holds one value for each stored control, in this order. Clearing,
    // enabling, loading, saving and the savers all go by it.
    VehicleInfoPage(QList<VehicleInfoControl> controls, VehicleInfoHooks hooks, QObject* parent = nullptr);

    // The page's controls in keyboard order.
    QList<QWidget*> controls() const;

    void clear();
    void setEnabled(bool enabled);
    // Fills the page from the vehicle file; a file that cannot be read is set aside.
    void load();
    // Writes the values changed on screen over the vehicle file as it is on disk now.
    void save();
    // The vehicle file changed on disk: the page shows it; what the user
    // changed and has not stored stays. Nothing when the file is as loaded
    // (or not read); else whether the values could be shown whole.
    std::optional<bool> reloadFromDisk();

    // Whether the last save failed (reported, the text still on screen).
    bool saveFailed() const { return m_saveFailed; }
    void forgetFailedSave() { m_saveFailed = false; }
    // The records were replaced: a file kept from writing may be written again.
    void forgetKeptFile() { m_keptFile.clear(); }

    // Chooses or unchooses an option button quietly, even an exclusive one.
    static void setOption(QRadioButton* button, bool chosen);

private:
    QString filePath() const;
    FileClaims::Claim claim() const;
    RecordStore recordStore() const;
    void setAsideUnreadable(const QString& path, const QString& reason = QString());
    // The page's stored values, and showing them; false at a truth value that is none.
    QStringList values() const;
    bool showValues(const QStringList& values);

    QList<VehicleInfoControl> m_controls;
    VehicleInfoHooks m_hooks;
    FieldMerge m_record; // the vehicle file as loaded
    bool m_saveFailed = false;
    // A vehicle file that could not be read nor moved aside: never overwritten.
    QString m_keptFile;
};
