#include "backup/Archive.h"
#include "backup/ArchiveParts.h"

#include <QTimeZone>

#include <algorithm>

namespace Backup {

const char* const ManifestName = "Gearbook backup manifest.txt";

namespace detail {
qint64 maxFiles = MaxFiles;
qint64 maxManifestBytes = MaxManifestBytes;
} // namespace detail

using namespace detail;

namespace {

// No line of a manifest is longer: a checksum, a size and a percent-encoded name of NameMax bytes.
constexpr qsizetype MaxLineBytes = 1024;
static_assert(64 + 1 + 10 + 1 + 3 * NameMax <= MaxLineBytes);
constexpr QByteArrayView ManifestTitle = "Gearbook backup";
constexpr QByteArrayView VersionKey = "Program version: ";
constexpr QByteArrayView CreatedKey = "Created: ";
// Only in a partial archive, between the date and the file count: an older reader refuses it as damaged.
constexpr QByteArrayView PartialLine = "Holds: only some files of the data folder";
constexpr QByteArrayView FilesKey = "Files: ";

QByteArray createdText(const QDateTime& created)
{
    return created.toUTC().toString(Qt::ISODate).toUtf8();
}

} // namespace

bool isPlainName(QByteArrayView name)
{
    return !name.isEmpty() && name.size() <= NameMax && name != "." && name != ".." && !name.contains('/') &&
           !name.contains('\0');
}

void setCapsForTests(qint64 files, qint64 manifestBytes)
{
    maxFiles = files;
    maxManifestBytes = manifestBytes;
}

qint64 Manifest::totalSize() const
{
    qint64 total = 0;
    for (const Member& m : members) {
        if (m.size < 0 || m.size > MaxUnpackedBytes - total)
            return MaxUnpackedBytes + 1;
        total += m.size;
    }
    return total;
}

QByteArray Manifest::toBytes() const
{
    QByteArray out;
    out += ManifestTitle.toByteArray() + '\n';
    out += VersionKey.toByteArray() + programVersion.toUtf8() + '\n';
    out += CreatedKey.toByteArray() + createdText(created) + '\n';
    if (partial)
        out += PartialLine.toByteArray() + '\n';
    out += FilesKey.toByteArray() + QByteArray::number(members.size()) + '\n';
    for (const Member& m : members)
        out += m.sha256 + ' ' + QByteArray::number(m.size) + ' ' + m.name.toPercentEncoding(" ") + '\n';
    return out;
}

std::optional<Manifest> Manifest::parse(QByteArrayView bytes, QString* error)
{
    ManifestReader reader;
    std::optional<Manifest> m;
    if (reader.add(bytes))
        m = reader.finish();
    if (!m && error)
        *error = reader.error();
    return m;
}

bool ManifestReader::fail(const QString& why)
{
    if (m_error.isEmpty())
        m_error = QStringLiteral("Its manifest is damaged: %1").arg(why);
    return false;
}

bool ManifestReader::add(QByteArrayView bytes)
{
    if (!m_error.isEmpty())
        return false;
    m_bytes += bytes.size();
    if (m_bytes > maxManifestBytes)
        return fail(QStringLiteral("it is larger than a backup's may be (%1 MiB).").arg(maxManifestBytes >> 20));
    while (!bytes.isEmpty()) {
        const qsizetype end = bytes.indexOf('\n');
        const QByteArrayView piece = end < 0 ? bytes : bytes.first(end);
        if (m_partial.size() + piece.size() > MaxLineBytes)
            return fail(QStringLiteral("line %1 is too long.").arg(m_lines + 1));
        if (end < 0) {
            m_partial += piece;
            return true;
        }
        bytes = bytes.sliced(end + 1);
        bool ok = false;
        if (m_partial.isEmpty()) {
            ok = line(piece);
        } else {
            m_partial += piece;
            ok = line(m_partial);
            m_partial.clear();
        }
        if (!ok)
            return false;
    }
    return true;
}

bool ManifestReader::line(QByteArrayView text)
{
    ++m_lines;
    const auto badHeading = [this] { return fail(QStringLiteral("its heading is not a Gearbook backup's.")); };
    const auto badCount = [this] { return fail(QStringLiteral("its date or file count is wrong.")); };
    // Each value exactly as the writer writes it (no second spelling of a date, a
    // number or a name), so that what is read writes back byte for byte.
    if (m_lines == 1)
        return text == ManifestTitle || badHeading();
    if (m_lines == 2) {
        const QByteArrayView version = text.sliced(std::min(text.size(), VersionKey.size()));
        m_manifest.programVersion = QString::fromUtf8(version);
        return (text.startsWith(VersionKey) && m_manifest.programVersion.toUtf8() == version) || badHeading();
    }
    if (m_lines == 3) {
        if (!text.startsWith(CreatedKey))
            return badHeading();
        const QByteArrayView when = text.sliced(CreatedKey.size());
        m_manifest.created = QDateTime::fromString(QString::fromUtf8(when), Qt::ISODate);
        return (m_manifest.created.isValid() && createdText(m_manifest.created) == when) || badCount();
    }
    if (m_count < 0) {
        if (text == PartialLine && m_lines == 4) {
            m_manifest.partial = true;
            return true;
        }
        if (!text.startsWith(FilesKey))
            return badHeading();
        const QByteArrayView digits = text.sliced(FilesKey.size());
        bool ok = false;
        m_count = digits.toByteArray().toLongLong(&ok);
        if (!ok || m_count < 0 || QByteArray::number(m_count) != digits)
            return badCount();
        if (m_count > maxFiles)
            return fail(QStringLiteral("it lists more files than a backup may hold (%1).").arg(maxFiles));
        // Room for what a real manifest of this count holds, not more: the count is the archive's word.
        m_manifest.members.reserve(std::min<qint64>(m_count, 4096));
        return true;
    }
    if (m_manifest.members.size() >= m_count)
        return badCount();
    const qsizetype space1 = text.indexOf(' ');
    const qsizetype space2 = space1 < 0 ? -1 : text.indexOf(' ', space1 + 1);
    Member member;
    bool sizeOk = false;
    QByteArrayView size;
    QByteArrayView encoded;
    if (space1 == 64 && space2 > space1) {
        member.sha256 = text.first(64).toByteArray();
        size = text.sliced(space1 + 1, space2 - space1 - 1);
        member.size = size.toByteArray().toLongLong(&sizeOk);
        encoded = text.sliced(space2 + 1);
        member.name = QByteArray::fromPercentEncoding(encoded.toByteArray());
    }
    if (member.name.size() > NameMax)
        return fail(QStringLiteral("line %1 names a file of more than %2 bytes, which no folder can hold.")
                        .arg(m_lines)
                        .arg(NameMax));
    const bool hex = std::all_of(member.sha256.cbegin(), member.sha256.cend(),
                                 [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
    if (!sizeOk || member.size < 0 || member.size > MaxUnpackedBytes || QByteArray::number(member.size) != size ||
        member.sha256.size() != 64 || !hex || !isPlainName(member.name) ||
        member.name.toPercentEncoding(" ") != encoded)
        return fail(QStringLiteral("line %1 is not a file's checksum, size and name.").arg(m_lines));
    if (m_names.contains(member.name))
        return fail(QStringLiteral("it lists \"%1\" twice.").arg(shown(member.name)));
    m_names.insert(member.name);
    m_manifest.members.append(std::move(member));
    return true;
}

std::optional<Manifest> ManifestReader::finish()
{
    if (!m_error.isEmpty())
        return std::nullopt;
    if (!m_partial.isEmpty() || m_count < 0) {
        fail(QStringLiteral("its heading is not a Gearbook backup's."));
        return std::nullopt;
    }
    if (m_manifest.members.size() != m_count) {
        fail(QStringLiteral("its date or file count is wrong."));
        return std::nullopt;
    }
    m_names.clear();
    return std::move(m_manifest);
}

QString describePartial(const Manifest& manifest)
{
    constexpr qsizetype Named = 5;
    QStringList names;
    for (qsizetype i = 0; i < std::min(Named, manifest.members.size()); ++i)
        names << QStringLiteral("\"%1\"").arg(shown(manifest.members[i].name));
    if (manifest.members.size() > Named)
        names << QStringLiteral("%1 more").arg(manifest.members.size() - Named);
    return QStringLiteral("It is not a backup of all the records: it holds only %1 (%2), saved on %3 UTC as they were "
                          "before a sync conflict was resolved. Restored in place of the data folder it would remove "
                          "every other record. The records of these names are in the data folder; an archive manager "
                          "takes the saved versions out of this file.")
        .arg(manifest.members.size() == 1 ? QStringLiteral("1 file")
                                          : QStringLiteral("%1 files").arg(manifest.members.size()),
             names.join(QStringLiteral(", ")), manifest.created.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
}

} // namespace Backup
