#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// A spreadsheet file read as a table: RFC 4180 fields (quotes doubled inside
// quoted fields, line breaks kept), the separator , ; or tab found from the
// header row, and the text in UTF-8 (with or without a byte-order mark),
// UTF-16 with one, or Windows-1252 when the bytes are not UTF-8. The file is
// untrusted: every cap below is checked as it is read, before memory is spent.
namespace CsvTable {

constexpr qint64 MaxFileBytes = qint64(64) << 20;
constexpr qsizetype MaxRows = 200000;
constexpr qsizetype MaxColumns = 256;
constexpr qsizetype MaxFieldChars = 65536;
// All values of the file together; a 64 MiB file of tiny values stops here.
constexpr qsizetype MaxCells = 4000000;

// Every value lives in one string; a row is a run of (start, length) pairs.
class Table {
public:
    QStringList headers;
    QChar separator;
    QString encoding; // "UTF-8", "UTF-16" or "Windows-1252", for the preview

    qsizetype rowCount() const { return m_rowStart.size(); }
    qsizetype columnCount(qsizetype row) const;
    // Empty for a column the row does not have.
    QStringView value(qsizetype row, qsizetype column) const;
    QStringList row(qsizetype row) const;
    // The row's number as a spreadsheet program shows it (the headers are row 1).
    int rowNumber(qsizetype row) const { return m_rowNumber.at(row); }

private:
    friend class Parser;
    QString m_text;
    QList<qsizetype> m_cells; // start, length, start, length...
    QList<qsizetype> m_rowStart;
    QList<int> m_rowNumber;
};

struct Result {
    std::optional<Table> table;
    QString error; // why not, for the user
};

// The text of a file's bytes, by the rules above; `encoding` names the one used.
QString decode(QByteArrayView bytes, QString* encoding);
Result parse(QByteArrayView bytes);
// Reads at most MaxFileBytes: a larger file is refused before it is read.
Result readFile(const QString& path);

} // namespace CsvTable
