#include "import/Workbook.h"

#include "backup/LibArchive.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QXmlStreamReader>

#include <memory>

namespace Workbook {

namespace {

const QString NotAWorkbook = QStringLiteral(
    "It is not a CSV file, nor a workbook Gearbook can read. Save it as CSV from your spreadsheet program.");

QString counted(qsizetype n)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

// The parts of the archive whose names `wanted` accepts, by name; an error when it cannot be unpacked.
std::optional<QHash<QString, QByteArray>> unpack(QByteArrayView bytes, bool (*wanted)(const QString&), QString* error)
{
    if (const auto problem = LibArchive::load()) {
        *error = *problem;
        return std::nullopt;
    }
    const LibArchive::Functions& lib = LibArchive::lib();
    const std::unique_ptr<archive, decltype(lib.archive_free)> a(lib.archive_read_new(), lib.archive_free);
    lib.archive_read_support_format_zip(a.get());
    if (lib.archive_read_open_memory(a.get(), bytes.data(), size_t(bytes.size())) != ARCHIVE_OK) {
        *error = NotAWorkbook;
        return std::nullopt;
    }
    QHash<QString, QByteArray> parts;
    qint64 total = 0;
    archive_entry* entry = nullptr;
    int status = ARCHIVE_OK;
    while ((status = lib.archive_read_next_header(a.get(), &entry)) == ARCHIVE_OK) {
        const QString name = QString::fromUtf8(lib.archive_entry_pathname(entry));
        if (!wanted(name))
            continue;
        QByteArray data;
        char buffer[65536];
        la_ssize_t n = 0;
        while ((n = lib.archive_read_data(a.get(), buffer, sizeof buffer)) > 0) {
            total += n;
            if (total > MaxUnpackedBytes) {
                *error = QStringLiteral("The workbook unpacks to more than %1 MiB; please save it as CSV from your "
                                        "spreadsheet program.")
                             .arg(MaxUnpackedBytes >> 20);
                return std::nullopt;
            }
            data.append(buffer, n);
        }
        if (n < 0) {
            *error =
                QStringLiteral("The workbook is damaged: %1").arg(QString::fromUtf8(lib.archive_error_string(a.get())));
            return std::nullopt;
        }
        parts.insert(name, data);
    }
    if (status != ARCHIVE_EOF) {
        *error = NotAWorkbook;
        return std::nullopt;
    }
    return parts;
}

// The rows of a sheet as they are read, held to the table's caps before memory is spent on them.
class Rows {
public:
    QString error;

    // Cell `column` of row `row` (both from 0), `repeat` times.
    bool set(qsizetype row, qsizetype column, const QString& value, qsizetype repeat = 1)
    {
        if (value.isEmpty())
            return true;
        if (row > CsvTable::MaxRows)
            return fail(QStringLiteral("The file has more than %1 rows; please split it into smaller files.")
                            .arg(counted(CsvTable::MaxRows)));
        if (column + repeat > CsvTable::MaxColumns)
            return fail(QStringLiteral("Row %1 has more than %2 columns.").arg(row + 1).arg(CsvTable::MaxColumns));
        if (value.size() > CsvTable::MaxFieldChars)
            return fail(QStringLiteral("Row %1: a value is longer than %2 characters.")
                            .arg(row + 1)
                            .arg(counted(CsvTable::MaxFieldChars)));
        m_chars += value.size() * repeat;
        if (m_chars > CsvTable::MaxFileBytes)
            return fail(QStringLiteral("The sheet holds more than %1 MiB of text; please split it into smaller "
                                       "files.")
                            .arg(CsvTable::MaxFileBytes >> 20));
        while (m_rows.size() <= row)
            m_rows.append(QStringList());
        QStringList& cells = m_rows[row];
        while (cells.size() < column + repeat)
            cells.append(QString());
        for (qsizetype c = column; c < column + repeat; ++c)
            cells[c] = value;
        return true;
    }

    // As CSV text: every value quoted, so that nothing in it is read as a separator.
    QByteArray csv() const
    {
        QString text;
        for (const QStringList& cells : m_rows) {
            QStringList quoted;
            for (QString v : cells)
                quoted << QLatin1Char('"') + v.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
            text += quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
        }
        return text.toUtf8();
    }

private:
    bool fail(const QString& why)
    {
        error = why;
        return false;
    }

    QList<QStringList> m_rows;
    qint64 m_chars = 0;
};

qsizetype repeated(const QXmlStreamReader& xml, QLatin1String attribute)
{
    const qsizetype n = xml.attributes()
                            .value(QLatin1String("urn:oasis:names:tc:opendocument:xmlns:table:1.0"), attribute)
                            .toLongLong();
    return std::max<qsizetype>(1, n);
}

// The text of an OpenDocument cell: its paragraphs, spaces and tabs.
QString odsText(QXmlStreamReader& xml)
{
    QString text;
    int depth = 1;
    bool firstParagraph = true;
    while (depth > 0 && !xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            ++depth;
            if (xml.name() == u"p" || xml.name() == u"h") {
                if (!firstParagraph)
                    text += QLatin1Char('\n');
                firstParagraph = false;
            } else if (xml.name() == u"s") {
                const qsizetype n =
                    xml.attributes()
                        .value(QLatin1String("urn:oasis:names:tc:opendocument:xmlns:text:1.0"), QLatin1String("c"))
                        .toLongLong();
                text += QString(std::clamp<qsizetype>(n, 1, 1000), QLatin1Char(' '));
            } else if (xml.name() == u"tab") {
                text += QLatin1Char('\t');
            } else if (xml.name() == u"line-break") {
                text += QLatin1Char('\n');
            } else if (xml.name() == u"annotation") {
                xml.skipCurrentElement();
                --depth;
            }
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::Characters:
            text += xml.text();
            break;
        default:
            break;
        }
        if (text.size() > CsvTable::MaxFieldChars)
            xml.skipCurrentElement(), depth = 0;
    }
    return text;
}

bool readOds(const QByteArray& content, Rows* rows)
{
    const QLatin1String table("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
    const QLatin1String office("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
    QXmlStreamReader xml(content);
    while (!xml.atEnd() &&
           !(xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"table" && xml.namespaceUri() == table))
        ;
    qsizetype row = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType t = xml.readNext();
        if (t == QXmlStreamReader::EndElement && xml.name() == u"table" && xml.namespaceUri() == table)
            break;
        if (t != QXmlStreamReader::StartElement || xml.name() != u"table-row")
            continue;
        const qsizetype rowRepeat = repeated(xml, QLatin1String("number-rows-repeated"));
        qsizetype column = 0;
        while (xml.readNextStartElement()) {
            if (xml.name() != u"table-cell" && xml.name() != u"covered-table-cell") {
                xml.skipCurrentElement();
                continue;
            }
            const qsizetype cellRepeat = repeated(xml, QLatin1String("number-columns-repeated"));
            const auto type = xml.attributes().value(office, QLatin1String("value-type"));
            const QString date = xml.attributes().value(office, QLatin1String("date-value")).toString();
            QString value = odsText(xml);
            if (type == u"date" && date.size() >= 10)
                value = date.left(10);
            for (qsizetype r = 0; r < rowRepeat && !value.isEmpty(); ++r)
                if (!rows->set(row + r, column, value, cellRepeat))
                    return false;
            column += cellRepeat;
        }
        row += rowRepeat;
    }
    if (xml.hasError())
        rows->error = QStringLiteral("The workbook is damaged: %1").arg(xml.errorString());
    return !xml.hasError();
}

// Column "B" of "B7" is 1; -1 when it is no column.
qsizetype columnOf(QStringView reference)
{
    qsizetype column = 0;
    qsizetype letters = 0;
    for (const QChar c : reference) {
        if (c < u'A' || c > u'Z')
            break;
        column = column * 26 + (c.unicode() - u'A' + 1);
        if (++letters > 3)
            return -1;
    }
    return letters ? column - 1 : -1;
}

// The text of the <t> elements inside the current element, runs included, phonetic readings left out.
QString xlsxText(QXmlStreamReader& xml)
{
    QString text;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        const QXmlStreamReader::TokenType t = xml.readNext();
        if (t == QXmlStreamReader::StartElement) {
            if (xml.name() == u"rPh") {
                xml.skipCurrentElement();
                continue;
            }
            ++depth;
            if (xml.name() == u"t")
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements), --depth;
        } else if (t == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    return text;
}

bool isDateFormat(int id, const QString& code)
{
    if ((id >= 14 && id <= 22) || (id >= 45 && id <= 47))
        return id <= 17 || id == 22; // 18 to 21 and 45 to 47 are times of day
    QString plain;
    bool quoted = false;
    int bracket = 0;
    for (const QChar c : code) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && c == u'[')
            ++bracket;
        else if (!quoted && c == u']')
            --bracket;
        else if (!quoted && bracket == 0)
            plain += c.toLower();
    }
    return plain.contains(u'd') || plain.contains(u'y');
}

bool readXlsx(const QHash<QString, QByteArray>& parts, Rows* rows)
{
    // The first sheet, by the workbook's order and its relationships.
    QString sheetId;
    bool from1904 = false;
    {
        QXmlStreamReader xml(parts.value(QStringLiteral("xl/workbook.xml")));
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::StartElement) {
                if (xml.name() == u"workbookPr")
                    from1904 = xml.attributes().value(QLatin1String("date1904")) == u"1" ||
                               xml.attributes().value(QLatin1String("date1904")) == u"true";
                if (xml.name() == u"sheet" && sheetId.isEmpty())
                    for (const QXmlStreamAttribute& a : xml.attributes())
                        if (a.name() == u"id")
                            sheetId = a.value().toString();
            }
    }
    QString sheetPath;
    {
        QXmlStreamReader xml(parts.value(QStringLiteral("xl/_rels/workbook.xml.rels")));
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"Relationship" &&
                xml.attributes().value(QLatin1String("Id")) == sheetId) {
                const QString target = xml.attributes().value(QLatin1String("Target")).toString();
                sheetPath = target.startsWith(u'/') ? target.mid(1) : QStringLiteral("xl/") + target;
            }
    }
    if (!parts.contains(sheetPath)) {
        rows->error = NotAWorkbook;
        return false;
    }
    QStringList shared;
    {
        QXmlStreamReader xml(parts.value(QStringLiteral("xl/sharedStrings.xml")));
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"si")
                shared << xlsxText(xml);
    }
    QList<bool> dateStyles;
    {
        QHash<int, QString> codes;
        bool inCellXfs = false;
        QXmlStreamReader xml(parts.value(QStringLiteral("xl/styles.xml")));
        while (!xml.atEnd()) {
            const QXmlStreamReader::TokenType t = xml.readNext();
            if (t == QXmlStreamReader::StartElement && xml.name() == u"numFmt")
                codes.insert(xml.attributes().value(QLatin1String("numFmtId")).toInt(),
                             xml.attributes().value(QLatin1String("formatCode")).toString());
            else if (xml.name() == u"cellXfs")
                inCellXfs = t == QXmlStreamReader::StartElement;
            else if (t == QXmlStreamReader::StartElement && inCellXfs && xml.name() == u"xf") {
                const int id = xml.attributes().value(QLatin1String("numFmtId")).toInt();
                dateStyles << isDateFormat(id, codes.value(id));
            }
        }
    }
    const QDate epoch = from1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    QXmlStreamReader xml(parts.value(sheetPath));
    qsizetype row = -1;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"row") {
            const qsizetype r = xml.attributes().value(QLatin1String("r")).toLongLong();
            row = r > 0 ? r - 1 : row + 1;
            continue;
        }
        if (xml.name() != u"c")
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        const qsizetype column = columnOf(a.value(QLatin1String("r")));
        const QString type = a.value(QLatin1String("t")).toString();
        const qsizetype style = a.value(QLatin1String("s")).toLongLong();
        QString value;
        while (xml.readNextStartElement()) {
            if (xml.name() == u"v")
                value = xml.readElementText();
            else if (xml.name() == u"is")
                value = xlsxText(xml);
            else
                xml.skipCurrentElement();
        }
        if (type == u"s") {
            value = shared.value(value.toLongLong());
        } else if (type == u"b") {
            value = value == u"1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        } else if ((type.isEmpty() || type == u"n") && dateStyles.value(style) && !value.isEmpty()) {
            bool ok = false;
            const double serial = value.toDouble(&ok);
            if (ok && serial >= 1 && serial < 2958466)
                value = epoch.addDays(qint64(serial)).toString(Qt::ISODate);
        }
        if (row < 0 || column < 0) {
            rows->error = NotAWorkbook;
            return false;
        }
        if (!rows->set(row, column, value))
            return false;
    }
    if (xml.hasError())
        rows->error = QStringLiteral("The workbook is damaged: %1").arg(xml.errorString());
    return !xml.hasError();
}

bool wantedPart(const QString& name)
{
    return name == u"content.xml" || name == u"mimetype" ||
           (name.startsWith(QLatin1String("xl/")) && name.endsWith(QLatin1String(".xml"))) ||
           name == u"xl/_rels/workbook.xml.rels";
}

} // namespace

bool isZip(QByteArrayView bytes)
{
    return bytes.startsWith("PK\x03\x04");
}

CsvTable::Result read(QByteArrayView bytes)
{
    QString error;
    const auto parts = unpack(bytes, &wantedPart, &error);
    if (!parts)
        return {std::nullopt, error};
    Rows rows;
    QString kind;
    bool ok = false;
    if (parts->contains(QStringLiteral("content.xml")) &&
        parts->value(QStringLiteral("mimetype")).startsWith("application/vnd.oasis.opendocument.spreadsheet")) {
        kind = QStringLiteral("OpenDocument spreadsheet, first sheet");
        ok = readOds(parts->value(QStringLiteral("content.xml")), &rows);
    } else if (parts->contains(QStringLiteral("xl/workbook.xml"))) {
        kind = QStringLiteral("Excel workbook, first sheet");
        ok = readXlsx(*parts, &rows);
    } else {
        return {std::nullopt, NotAWorkbook};
    }
    if (!ok)
        return {std::nullopt, rows.error};
    CsvTable::Result table = CsvTable::parse(rows.csv());
    if (table.table)
        table.table->encoding = kind;
    return table;
}

} // namespace Workbook
