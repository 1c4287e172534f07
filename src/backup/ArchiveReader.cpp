#include "backup/Archive.h"
#include "backup/ArchiveParts.h"

#include <QDir>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <zlib.h>

namespace Backup {

using namespace detail;

namespace {

// After the tar's end only padding follows; more than this is not an archive of ours.
constexpr qint64 MaxAfterEnd = qint64(1) << 20;

// Why `path` cannot be a backup before libarchive is asked, which has no words for either case
// ("unknown error"): the system's reason it cannot be read, or that it is no gzip at all (a PDF, a text).
std::optional<QString> notGzip(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return QStringLiteral("It cannot be read: %1").arg(qt_error_string(errno));
    unsigned char magic[2] = {};
    const ssize_t got = ::read(fd, magic, sizeof magic);
    const int error = errno;
    ::close(fd);
    if (got < 0)
        return QStringLiteral("It cannot be read: %1").arg(qt_error_string(error));
    if (got < 2 || magic[0] != 0x1f || magic[1] != 0x8b)
        return QStringLiteral("It is not a Gearbook backup: a backup is a gzip-compressed tar archive (.tar.gz), "
                              "and this file is not one.");
    return std::nullopt;
}

// // Reading an archive: gzip is undone by one reader whose output is checked
// against the gzip trailer and fed to a second reader that walks the tar.

class ArchiveReader {
public:
    std::optional<QString> open(const QString& path)
    {
        if (auto problem = LibArchive::load())
            return problem;
        // Opened without waiting, then refused unless it is a file: a FIFO would
        // block for ever, a device never end.
        m_fd.reset(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat st;
        if (m_fd.get() < 0 || ::fstat(m_fd.get(), &st) != 0)
            return QStringLiteral("It could not be opened: %1").arg(reasonOf(errno));
        if (!S_ISREG(st.st_mode))
            return QStringLiteral("It is %1, not a file.").arg(kindOf(st.st_mode));
        if (auto problem = notGzip(path))
            return problem;
        m_outer.reset(lib().archive_read_new());
        m_inner.reset(lib().archive_read_new());
        if (lib().archive_read_support_filter_gzip(m_outer.get()) != ARCHIVE_OK ||
            lib().archive_read_support_format_raw(m_outer.get()) != ARCHIVE_OK ||
            lib().archive_read_open_fd(m_outer.get(), m_fd.get(), 65536) != ARCHIVE_OK ||
            lib().archive_filter_code(m_outer.get(), 0) != ARCHIVE_FILTER_GZIP)
            return QStringLiteral("It is not a Gearbook backup (a .tar.gz file), or it is damaged: %1")
                .arg(outerError());
        archive_entry* raw = nullptr;
        if (lib().archive_read_next_header(m_outer.get(), &raw) != ARCHIVE_OK)
            return QStringLiteral("It is damaged: %1").arg(outerError());
        if (lib().archive_read_support_format_tar(m_inner.get()) != ARCHIVE_OK ||
            lib().archive_read_open(m_inner.get(), this, nullptr, &ArchiveReader::pull, nullptr) != ARCHIVE_OK)
            return damaged();
        return std::nullopt;
    }

    // The next member; nothing at the end (check `error` then).
    archive_entry* next(std::optional<QString>* error)
    {
        archive_entry* entry = nullptr;
        const int rc = lib().archive_read_next_header(m_inner.get(), &entry);
        if (rc == ARCHIVE_OK)
            return entry;
        if (rc != ARCHIVE_EOF)
            *error = damaged();
        m_endAt = m_length;
        return nullptr;
    }

    archive* tar() const { return m_inner.get(); }

    QString damaged() const
    {
        return QStringLiteral("It is damaged: %1")
            .arg(m_outerFailed ? outerError() : QString::fromUtf8(lib().archive_error_string(m_inner.get())));
    }

    // After the last member: the rest of the stream read, up to MaxAfterEnd,
    // and its CRC and length compared with the gzip trailer (the file's last 8 bytes).
    std::optional<QString> checkTrailer()
    {
        const void* block = nullptr;
        while (pull(nullptr, this, &block) > 0) {
            if (m_length - m_endAt > quint64(MaxAfterEnd))
                return QStringLiteral("It is damaged: more than 1 MiB follows the end of its files.");
        }
        if (m_outerFailed)
            return damaged();
        // From the file that was read, never one put in its place since.
        unsigned char trailer[8];
        struct stat st;
        errno = EIO; // what a short read says
        if (::fstat(m_fd.get(), &st) != 0 || st.st_size < off_t(sizeof trailer) ||
            ::pread(m_fd.get(), trailer, sizeof trailer, st.st_size - off_t(sizeof trailer)) != ssize_t(sizeof trailer))
            return QStringLiteral("It could not be read again: %1").arg(reasonOf(errno));
        const auto le32 = [&trailer](int at) {
            return quint32(trailer[at]) | quint32(trailer[at + 1]) << 8 | quint32(trailer[at + 2]) << 16 |
                   quint32(trailer[at + 3]) << 24;
        };
        if (le32(0) != m_crc || le32(4) != quint32(m_length))
            return QStringLiteral("It is damaged: its checksum does not match its contents.");
        return std::nullopt;
    }

private:
    static la_ssize_t pull(archive*, void* self, const void** block)
    {
        auto* r = static_cast<ArchiveReader*>(self);
        if (r->m_outerDone || r->m_outerFailed)
            return r->m_outerFailed ? -1 : 0;
        size_t size = 0;
        la_int64_t offset = 0;
        const int rc = lib().archive_read_data_block(r->m_outer.get(), block, &size, &offset);
        if (rc == ARCHIVE_EOF) {
            r->m_outerDone = true;
            return 0;
        }
        if (rc != ARCHIVE_OK) {
            r->m_outerFailed = true;
            return -1;
        }
        // CRC-32 as gzip's trailer holds it; libarchive does not check it, so a
        // damaged byte in the padding between members would otherwise go unseen.
        r->m_crc = quint32(::crc32_z(r->m_crc, static_cast<const Bytef*>(*block), size));
        r->m_length += size;
        return la_ssize_t(size);
    }

    QString outerError() const
    {
        const char* text = lib().archive_error_string(m_outer.get());
        return text ? QString::fromUtf8(text) : QStringLiteral("unknown error.");
    }

    Descriptor m_fd; // closed after both readers are freed
    ArchivePtr m_outer;
    ArchivePtr m_inner;
    quint32 m_crc = 0;
    quint64 m_length = 0;
    quint64 m_endAt = 0; // m_length when the tar reader found its end
    bool m_outerDone = false;
    bool m_outerFailed = false;
};

// Opens an archive and reads its first member, the manifest.
std::optional<QString> openWithManifest(const QString& path, ArchiveReader* reader, Manifest* manifest)
{
    if (auto problem = reader->open(path))
        return problem;
    std::optional<QString> error;
    archive_entry* entry = reader->next(&error);
    if (!entry || qstrcmp(lib().archive_entry_pathname(entry), ManifestName) != 0 ||
        lib().archive_entry_filetype(entry) != AE_IFREG)
        return error.value_or(QStringLiteral("It is not a Gearbook backup: it has no manifest."));
    if (lib().archive_entry_size_is_set(entry) && lib().archive_entry_size(entry) > maxManifestBytes)
        return QStringLiteral("Its manifest is larger than a backup's may be (%1 MiB).").arg(maxManifestBytes >> 20);
    ManifestReader parser;
    char buffer[65536];
    for (;;) {
        const la_ssize_t n = lib().archive_read_data(reader->tar(), buffer, sizeof buffer);
        if (n < 0)
            return reader->damaged();
        if (n == 0)
            break;
        if (!parser.add(QByteArrayView(buffer, n)))
            return parser.error();
    }
    auto parsed = parser.finish();
    if (!parsed)
        return parser.error();
    *manifest = std::move(*parsed);
    return std::nullopt;
}

std::optional<QString> checkMember(archive_entry* entry)
{
    const char* name = lib().archive_entry_pathname(entry);
    if (!name || !isPlainName(name))
        return QStringLiteral("It holds \"%1\", which is not a file name of the data folder.")
            .arg(name ? shown(name) : QString());
    if (lib().archive_entry_filetype(entry) != AE_IFREG || lib().archive_entry_hardlink(entry) ||
        lib().archive_entry_symlink(entry))
        return QStringLiteral("It holds \"%1\", which is not a plain file (a folder, a link or a device).")
            .arg(shown(name));
    if (!lib().archive_entry_size_is_set(entry))
        return QStringLiteral("It holds \"%1\" without a size.").arg(shown(name));
    return std::nullopt;
}

bool writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

} // namespace

Outcome readManifest(const QString& archivePath)
{
    const Utf8Names names;
    ArchiveReader reader;
    Outcome o;
    if (auto problem = openWithManifest(archivePath, &reader, &o.manifest))
        return failure(*problem);
    o.ok = true;
    return o;
}

Outcome checkArchive(const QString& archivePath, const QString& unpackInto)
{
    const Utf8Names names;
    ArchiveReader reader;
    Outcome o;
    if (auto problem = openWithManifest(archivePath, &reader, &o.manifest))
        return failure(*problem);
    const Manifest* manifest = &o.manifest;
    if (manifest->totalSize() > MaxUnpackedBytes)
        return failure(QStringLiteral("It would unpack to more than 1 GiB, more than Gearbook's records can be."));

    QHash<QByteArray, qsizetype> index;
    index.reserve(manifest->members.size());
    for (qsizetype i = 0; i < manifest->members.size(); ++i)
        index.insert(manifest->members[i].name, i);
    QList<bool> seen(manifest->members.size(), false);

    qint64 unpacked = 0; // running total, whatever the manifest says
    Descriptor outDir(unpackInto.isEmpty()
                          ? -1
                          : ::open(QFile::encodeName(unpackInto).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!unpackInto.isEmpty() && outDir.get() < 0)
        return failure(QStringLiteral("The folder \"%1\" to unpack into could not be opened: %2")
                           .arg(QDir::toNativeSeparators(unpackInto), reasonOf(errno)));

    QCryptographicHash hash(QCryptographicHash::Sha256);
    char buffer[65536];
    std::optional<QString> error;
    while (archive_entry* entry = reader.next(&error)) {
        if (auto problem = checkMember(entry))
            return failure(*problem);
        const QByteArray name(lib().archive_entry_pathname(entry));
        const auto at = index.constFind(name);
        if (at == index.constEnd())
            return failure(QStringLiteral("It holds \"%1\", which its manifest does not list.").arg(shown(name)));
        if (seen[*at])
            return failure(QStringLiteral("It holds \"%1\" twice.").arg(shown(name)));
        seen[*at] = true;
        const Member& expected = manifest->members[*at];
        if (lib().archive_entry_size(entry) != expected.size)
            return failure(QStringLiteral("The size of \"%1\" is not the size its manifest gives.").arg(shown(name)));

        const bool unpack = outDir.get() >= 0 && !isLeftOutByName(name);
        Descriptor out(!unpack ? -1
                               : ::openat(outDir.get(), name.constData(),
                                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                          0666)); // as every save makes them: the umask decides
        if (unpack && out.get() < 0)
            return failure(QStringLiteral("\"%1\" could not be unpacked: %2").arg(shown(name), reasonOf(errno)));
        hash.reset();
        qint64 size = 0;
        for (;;) {
            const la_ssize_t n = lib().archive_read_data(reader.tar(), buffer, sizeof buffer);
            if (n < 0)
                return failure(reader.damaged());
            if (n == 0)
                break;
            size += n;
            unpacked += n;
            if (size > expected.size || unpacked > MaxUnpackedBytes)
                return failure(QStringLiteral("\"%1\" is longer than its manifest says.").arg(shown(name)));
            hash.addData(QByteArrayView(buffer, n));
            if (out.get() >= 0 && !writeAll(out.get(), buffer, size_t(n)))
                return failure(QStringLiteral("\"%1\" could not be unpacked: %2").arg(shown(name), reasonOf(errno)));
        }
        if (size != expected.size || hash.result().toHex() != expected.sha256)
            return failure(QStringLiteral("\"%1\" is damaged: its checksum does not match.").arg(shown(name)));
        if (out.get() >= 0) {
            const struct timespec times[2] = {
                {0, UTIME_OMIT}, {time_t(lib().archive_entry_mtime(entry)), lib().archive_entry_mtime_nsec(entry)}};
            ::futimens(out.get(), times);
            if (!out.close())
                return failure(QStringLiteral("\"%1\" could not be unpacked: %2").arg(shown(name), reasonOf(errno)));
        }
    }
    if (error)
        return failure(*error);
    if (auto problem = reader.checkTrailer())
        return failure(*problem);
    const auto missing = std::find(seen.cbegin(), seen.cend(), false);
    if (missing != seen.cend())
        return failure(
            QStringLiteral("\"%1\" is missing from it.").arg(shown(manifest->members[missing - seen.cbegin()].name)));
    o.ok = true;
    return o;
}

} // namespace Backup
