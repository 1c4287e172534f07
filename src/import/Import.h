#pragma once

#include "common/FileClaims.h"
#include "common/RecordStore.h"
#include "import/CsvTable.h"
#include "import/ImportMapping.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// Records brought in from spreadsheet files: what would be added is worked
// out first (preview), without writing anything; an import writes exactly
// that, after a safety backup of the data folder, and puts every file back
// when a write fails. Names already in the data folder are never written over.
// The caller holds the data folder's lock.
namespace Import {

struct Source {
    QString file; // for messages
    CsvTable::Table table;
    ImportMapping::Mapping mapping;
};

// What happens to records whose name exists already.
enum class Existing { Skip, FillEmpty };

struct Skipped {
    QString file;
    int row = 0; // as a spreadsheet program numbers it
    QString name;
    QString reason;
};

// The first rows of a file as they will be stored (the record store's value rule), under their captions.
struct Sample {
    QString file;
    QStringList captions;
    QList<QStringList> rows;
};

// One file the import changes, as values: the record store makes its bytes.
struct Write {
    FileClaims::Claim claim;          // the record or list it is (its file: RecordStore::fileOf)
    QStringList values;               // a record's values, or a list's names
    std::optional<QByteArray> before; // nothing when there is no such file yet

    QString file() const { return RecordStore::fileOf(claim); }
};

struct Preview {
    QString error;                            // the data folder cannot be read: nothing can be imported
    int vehicles = 0, entries = 0, parts = 0; // records added
    int filled = 0;                           // records that exist, whose empty fields get values
    QList<Sample> samples;
    QList<Skipped> skipped;
    QList<Write> writes;            // records first, their lists after, the vehicle list last
    QStringList dates;              // how each date column is read: "log.csv, Date: day before month (as row 7 shows)"
    QStringList grouped;            // "12 rows → Oil change, 11 earlier visits kept in its notes"
    QStringList named;              // how vehicles without a name column are named
    QMap<QString, QString> renamed; // names that cannot be file names -> the nearest that can

    // The preview as the command line prints it.
    QString text() const;
    QString counts() const; // "2 vehicles, 10 maintenance entries and 0 parts"
};

constexpr int SampleRows = 5;

Preview preview(const QList<Source>& sources, Existing existing);

struct Outcome {
    bool ok = false;
    QString error;        // for the user; says whether the folder is as it was
    QString safetyBackup; // the data folder as it was before, once written
    Preview done;

    explicit operator bool() const { return ok; }
};

// Works the preview out again (the folder may have changed since it was shown)
// and writes it.
Outcome run(const QList<Source>& sources, Existing existing);

// The final message for the user.
QString outcomeText(const Outcome& outcome);

// A value as it is printed: on one line, and every other control character (a NUL...) shown as �.
QString printable(QString text);

// For tests: called after each file written.
void setAfterWriteForTests(void (*hook)(int written));

} // namespace Import
