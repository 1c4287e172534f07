#include "common/RecordFile.h"

#include "common/Win1252.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RecordFile {

namespace {
constexpr char Quote = '"';
constexpr char Comma = ',';
constexpr char Cr = '\r';
constexpr char Lf = '\n';
const QByteArrayView TrueToken("#TRUE#");
const QByteArrayView FalseToken("#FALSE#");
} // namespace

void Writer::separate()
{
    if (m_inRecord)
        m_bytes.append(Comma);
    m_inRecord = true;
}

Writer& Writer::text(QStringView value)
{
    separate();
    m_bytes.append(Quote);
    m_bytes.append(m_texts == Texts::References ? Win1252::encodeReferences(value) : Win1252::encode(value));
    m_bytes.append(Quote);
    return *this;
}

Writer& Writer::truth(bool value)
{
    separate();
    m_bytes.append(value ? TrueToken : FalseToken);
    return *this;
}

Writer& Writer::endRecord()
{
    m_bytes.append("\r\n");
    m_inRecord = false;
    return *this;
}

Reader::Reader(QByteArray bytes, Texts texts) : m_bytes(std::move(bytes)), m_texts(texts) {}

std::optional<Reader::Field> Reader::next()
{
    const qsizetype n = m_bytes.size();
    const char* d = m_bytes.constData();
    // Blanks, and a line end left over from the previous record.
    while (m_pos < n && (d[m_pos] == ' ' || d[m_pos] == '\t' || d[m_pos] == Cr || d[m_pos] == Lf))
        ++m_pos;
    if (m_pos >= n)
        return std::nullopt;

    Field field;
    qsizetype end;
    if (d[m_pos] == Quote) {
        const qsizetype start = m_pos + 1;
        const void* close = std::memchr(d + start, Quote, size_t(n - start));
        end = close ? static_cast<const char*>(close) - d : n;
        field.raw = QByteArrayView(d + start, end - start);
        field.quoted = true;
        if (end < n)
            ++end; // the closing quote
        // Whatever stands between the closing quote and the separator is skipped.
        while (end < n && d[end] != Comma && d[end] != Cr && d[end] != Lf)
            ++end;
    } else {
        const qsizetype start = m_pos;
        end = start;
        while (end < n && d[end] != Comma && d[end] != Cr && d[end] != Lf)
            ++end;
        qsizetype last = end;
        while (last > start && (d[last - 1] == ' ' || d[last - 1] == '\t'))
            --last;
        field.raw = QByteArrayView(d + start, last - start);
    }
    // Consume the separator: a comma, or a line end (CR LF, CR or LF).
    if (end < n) {
        if (d[end] == Cr && end + 1 < n && d[end + 1] == Lf)
            end += 2;
        else
            ++end;
    }
    m_pos = end;
    return field;
}

std::optional<QString> Reader::text()
{
    const auto field = next();
    if (!field)
        return std::nullopt;
    if (!field->quoted) {
        // An unquoted truth value read into a text reads as its word.
        if (field->raw == TrueToken)
            return QStringLiteral("True");
        if (field->raw == FalseToken)
            return QStringLiteral("False");
    }
    return m_texts == Texts::References ? Win1252::decodeReferences(field->raw) : Win1252::decode(field->raw);
}

std::optional<bool> Reader::truth()
{
    const auto field = next();
    if (!field || field->quoted)
        return std::nullopt;
    if (field->raw == TrueToken)
        return true;
    if (field->raw == FalseToken)
        return false;
    return std::nullopt;
}

QByteArray textRecord(const QStringList& fields)
{
    Writer w;
    for (const QString& f : fields)
        w.text(f);
    w.endRecord();
    return w.bytes();
}

QByteArray listFile(const QStringList& names)
{
    Writer w(Texts::CodePageOnly);
    for (const QString& name : names)
        w.text(name).endRecord();
    return w.bytes();
}

QStringList parseListFile(const QByteArray& bytes)
{
    QStringList names;
    Reader r(bytes, Texts::CodePageOnly);
    while (r.hasMore()) {
        auto name = r.text();
        if (!name)
            break;
        names.append(std::move(*name));
    }
    return names;
}

std::optional<QStringList> parseTextRecord(const QByteArray& bytes, int count, Texts texts)
{
    Reader r(bytes, texts);
    QStringList fields;
    fields.reserve(count);
    for (int i = 0; i < count; ++i) {
        auto f = r.text();
        if (!f)
            return std::nullopt;
        fields.append(std::move(*f));
    }
    return fields;
}

std::optional<bool> truthOf(QStringView value)
{
    if (value.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (value.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

QByteArray plainLine(QStringView line)
{
    return Win1252::encode(line) + "\r\n";
}

QString parsePlainLine(const QByteArray& bytes)
{
    qsizetype end = 0;
    while (end < bytes.size() && bytes[end] != Cr && bytes[end] != Lf)
        ++end;
    return Win1252::decode(QByteArrayView(bytes.constData(), end));
}

ReadResult readFile(const QString& path)
{
    const auto unreadable = [](const QString& why) { return ReadResult{ReadResult::Status::Unreadable, {}, why}; };
    // Non-blocking, so that opening a FIFO returns at once; its type is checked before any read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        struct stat link;
        // A dangling link is not a missing file: something is there that a save would write through.
        if (error == ENOENT && ::lstat(QFile::encodeName(path).constData(), &link) != 0)
            return ReadResult{};
        return unreadable(qt_error_string(error));
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info;
    if (::fstat(fd, &info) != 0)
        return unreadable(qt_error_string(errno));
    if (!S_ISREG(info.st_mode))
        return unreadable(S_ISDIR(info.st_mode) ? QStringLiteral("It is a folder, not a file.")
                                                : QStringLiteral("It is not a regular file."));
    QByteArray bytes(qsizetype(info.st_size), Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size())
            bytes.resize(bytes.size() + 4096); // the file grew since fstat
        const ssize_t n = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return unreadable(qt_error_string(errno));
        }
        if (n == 0)
            break;
        filled += n;
    }
    bytes.truncate(filled);
    return ReadResult{ReadResult::Status::Read, std::move(bytes), QString()};
}

} // namespace RecordFile
