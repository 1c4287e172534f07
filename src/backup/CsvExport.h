#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The records as three spreadsheet files: vehicles.csv, maintenance.csv and
// parts.csv. RFC 4180 text in UTF-8 with a byte-order mark, so spreadsheet
// programs read the characters right; the captions of the window's fields are
// the headers.
namespace CsvExport {

// One CSV line, ended by CR LF: a field holding a comma, a quote, a line
// break or leading or trailing blanks is quoted, its quotes doubled. Each
// value goes through guarded() first.
QByteArray row(const QStringList& fields);

// A value that a spreadsheet program would run as a formula (it begins with
// "=", "+", "-", "@", a tab or a carriage return) gets a leading "'", the sign
// those programs take for "text". So does one that already begins with "'"s
// before such a character, so that unguarded() gives back every value whole.
QString guarded(const QString& value);
// Takes that one "'" off again.
QString unguarded(QStringView value);

const QStringList& fileNames();

struct Outcome {
    bool ok = false;
    QString error; // why not, naming the file, for the user
    int vehicles = 0, entries = 0, parts = 0;

    explicit operator bool() const { return ok; }
};

// Reads every record of the data folder and writes the three files into
// `targetFolder`, each saved atomically and read back. A record that exists
// but cannot be read fails the export, naming it, before any file is written.
Outcome exportTo(const QString& targetFolder);

} // namespace CsvExport
