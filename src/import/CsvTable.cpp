#include "import/CsvTable.h"

#include "common/RecordFile.h"
#include "common/Win1252.h"
#include "import/Workbook.h"

#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>

#include <array>

namespace CsvTable {

namespace {

QString counted(qsizetype n)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

} // namespace

qsizetype Table::columnCount(qsizetype row) const
{
    const qsizetype end = row + 1 < m_rowStart.size() ? m_rowStart.at(row + 1) : m_cells.size();
    return (end - m_rowStart.at(row)) / 2;
}

QStringView Table::value(qsizetype row, qsizetype column) const
{
    if (column < 0 || column >= columnCount(row))
        return {};
    const qsizetype at = m_rowStart.at(row) + 2 * column;
    return QStringView(m_text).mid(m_cells.at(at), m_cells.at(at + 1));
}

QStringList Table::row(qsizetype row) const
{
    QStringList values;
    for (qsizetype c = 0; c < columnCount(row); ++c)
        values << value(row, c).toString();
    return values;
}

QString decode(QByteArrayView bytes, QString* encoding)
{
    const auto with = [&](QStringConverter::Encoding e, qsizetype skip, const char* name) {
        *encoding = QString::fromLatin1(name);
        QStringDecoder decoder(e, QStringConverter::Flag::Stateless);
        return QString(decoder(bytes.sliced(skip)));
    };
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return with(QStringConverter::Utf8, 3, "UTF-8");
    if (bytes.startsWith("\xFF\xFE"))
        return with(QStringConverter::Utf16LE, 2, "UTF-16");
    if (bytes.startsWith("\xFE\xFF"))
        return with(QStringConverter::Utf16BE, 2, "UTF-16");
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError()) {
        *encoding = QStringLiteral("UTF-8");
        return text;
    }
    *encoding = QStringLiteral("Windows-1252");
    return Win1252::decode(bytes);
}

// One pass over the text; every value is copied once into the table's string.
class Parser {
public:
    explicit Parser(const QString& text) : m_in(text), m_n(text.size()) {}

    Result run(QString encoding)
    {
        Table& t = m_table;
        t.encoding = std::move(encoding);
        t.separator = separator();
        t.m_text.reserve(m_n);
        bool header = true;
        int number = 0;
        while (m_pos < m_n) {
            ++number;
            const qsizetype first = t.m_cells.size();
            const bool blank = !readRecord(t.separator);
            if (!m_error.isEmpty())
                return fail(QStringLiteral("Row %1: %2").arg(number).arg(m_error));
            const qsizetype columns = (t.m_cells.size() - first) / 2;
            if (blank) {
                t.m_cells.resize(first);
                continue;
            }
            if (columns > MaxColumns)
                return fail(QStringLiteral("Row %1 has more than %2 columns.").arg(number).arg(MaxColumns));
            if (header) {
                for (qsizetype c = 0; c < columns; ++c)
                    t.headers << QStringView(t.m_text)
                                     .mid(t.m_cells.at(first + 2 * c), t.m_cells.at(first + 2 * c + 1))
                                     .trimmed()
                                     .toString();
                t.m_cells.resize(first);
                header = false;
                continue;
            }
            if (t.m_rowStart.size() >= MaxRows)
                return fail(QStringLiteral("The file has more than %1 rows; please split it into smaller files.")
                                .arg(counted(MaxRows)));
            if (t.m_cells.size() / 2 > MaxCells)
                return fail(QStringLiteral("The file holds more than %1 values; please split it into smaller files.")
                                .arg(counted(MaxCells)));
            t.m_rowStart << first;
            t.m_rowNumber << number;
        }
        if (header)
            return fail(QStringLiteral("The file holds no rows; the first row must name the columns."));
        return Result{std::move(m_table), QString()};
    }

private:
    static Result fail(const QString& why) { return Result{std::nullopt, why}; }

    // The separator the header row uses most, outside quotes: , before ; before tab.
    QChar separator() const
    {
        std::array<qsizetype, 3> counts{};
        const QChar candidates[] = {u',', u';', u'\t'};
        bool quoted = false;
        for (qsizetype i = 0; i < m_n; ++i) {
            const QChar c = m_in.at(i);
            if (c == u'"')
                quoted = !quoted;
            else if (!quoted && (c == u'\n' || c == u'\r'))
                break;
            else if (!quoted)
                for (int k = 0; k < 3; ++k)
                    counts[k] += c == candidates[k];
        }
        int best = 0;
        for (int k = 1; k < 3; ++k)
            if (counts[k] > counts[best])
                best = k;
        return candidates[best];
    }

    bool lineEnd(qsizetype i) const { return m_in.at(i) == u'\n' || m_in.at(i) == u'\r'; }

    void skipLineEnd()
    {
        if (m_pos < m_n && m_in.at(m_pos) == u'\r')
            ++m_pos;
        if (m_pos < m_n && m_in.at(m_pos) == u'\n')
            ++m_pos;
    }

    void append(QStringView piece, qsizetype* length)
    {
        *length += piece.size();
        if (*length > MaxFieldChars) {
            m_error = QStringLiteral("a value is longer than %1 characters.").arg(counted(MaxFieldChars));
            return;
        }
        m_table.m_text += piece;
    }

    // Reads one record's fields into the table; false for an empty line.
    bool readRecord(QChar separator)
    {
        bool any = false;
        for (;;) {
            const qsizetype start = m_table.m_text.size();
            qsizetype length = 0;
            bool quotedField = false;
            if (m_pos < m_n && m_in.at(m_pos) == u'"') {
                quotedField = true;
                ++m_pos;
                for (;;) {
                    const qsizetype close = m_in.indexOf(u'"', m_pos);
                    if (close < 0) {
                        m_error = QStringLiteral("a quoted value is not closed before the end of the file.");
                        return false;
                    }
                    append(QStringView(m_in).mid(m_pos, close - m_pos), &length);
                    if (!m_error.isEmpty())
                        return false;
                    m_pos = close + 1;
                    if (m_pos < m_n && m_in.at(m_pos) == u'"') {
                        append(u"\"", &length);
                        ++m_pos;
                        continue;
                    }
                    break;
                }
            }
            // Unquoted text, or what a lenient writer left after the closing quote.
            qsizetype end = m_pos;
            while (end < m_n && m_in.at(end) != separator && !lineEnd(end))
                ++end;
            append(QStringView(m_in).mid(m_pos, end - m_pos), &length);
            if (!m_error.isEmpty())
                return false;
            m_pos = end;
            any = any || quotedField || length > 0;
            m_table.m_cells << start << length;
            if (m_pos < m_n && m_in.at(m_pos) == separator) {
                ++m_pos;
                any = true;
                if ((m_table.m_cells.size() / 2) > MaxCells + MaxColumns) {
                    m_error = QStringLiteral("the file holds more than %1 values.").arg(counted(MaxCells));
                    return false;
                }
                continue;
            }
            skipLineEnd();
            return any;
        }
    }

    const QString& m_in;
    const qsizetype m_n;
    qsizetype m_pos = 0;
    Table m_table;
    QString m_error;
};

// A workbook or another binary file: a zip (.xlsx, .ods), an old Office file (.xls), or text that is mostly
// control characters. A stray NUL in a value is not enough.
bool binary(QByteArrayView bytes, const QString& text)
{
    if (bytes.startsWith("PK\x03\x04") || bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return true;
    const QStringView start = QStringView(text).first(std::min(text.size(), qsizetype(65536)));
    qsizetype controls = 0;
    for (const QChar c : start)
        if (c.category() == QChar::Other_Control && c != u'\t' && c != u'\r' && c != u'\n')
            ++controls;
    return controls > 8 && controls * 64 > start.size();
}

Result parse(QByteArrayView bytes)
{
    if (bytes.size() > MaxFileBytes)
        return Result{std::nullopt, QStringLiteral("The file is larger than %1 MiB.").arg(MaxFileBytes >> 20)};
    QString encoding;
    const QString text = decode(bytes, &encoding);
    if (binary(bytes, text))
        return Result{std::nullopt, QStringLiteral("It is not a CSV file but a workbook or another binary file. Save "
                                                   "it as CSV from your spreadsheet program.")};
    return Parser(text).run(std::move(encoding));
}

Result readFile(const QString& path)
{
    const QFileInfo info(path);
    if (info.isFile() && info.size() > MaxFileBytes)
        return Result{std::nullopt, QStringLiteral("The file is larger than %1 MiB, the most Gearbook imports at once; "
                                                   "please split it into smaller files.")
                                        .arg(MaxFileBytes >> 20)};
    const RecordFile::ReadResult read = RecordFile::readFile(path);
    if (read.missing())
        return Result{std::nullopt, QStringLiteral("There is no such file.")};
    if (read.unreadable())
        return Result{std::nullopt, QStringLiteral("It cannot be read: %1").arg(read.error)};
    if (Workbook::isZip(read.bytes))
        return Workbook::read(read.bytes);
    return parse(read.bytes);
}

} // namespace CsvTable
