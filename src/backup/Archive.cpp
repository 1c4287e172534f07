#include "Archive.h"

#include "DataFolder.h"
#include "LibArchive.h"
#include "SafeFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTimeZone>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <zlib.h>

#ifndef GEARBOOK_VERSION
#define GEARBOOK_VERSION "0"
#endif

namespace Backup {

const char* const ManifestName = "Gearbook backup manifest.txt";

namespace {

using LibArchive::lib;

qint64 maxFiles = MaxFiles;
qint64 maxManifestBytes = MaxManifestBytes;
// After the tar's end only padding follows; more than this is not an archive of ours.
constexpr qint64 MaxAfterEnd = qint64(1) << 20;
// The longest name of a file (NAME_MAX).
constexpr qsizetype NameMax = 255;
// No line of a manifest is longer: a checksum, a size and a percent-encoded name of NameMax bytes.
constexpr qsizetype MaxLineBytes = 1024;
static_assert(64 + 1 + 10 + 1 + 3 * NameMax <= MaxLineBytes);
constexpr QByteArrayView ManifestTitle = "Gearbook backup";
constexpr QByteArrayView VersionKey = "Program version: ";
constexpr QByteArrayView CreatedKey = "Created: ";
// Only in a partial archive, between the date and the file count: an older reader refuses it as damaged.
constexpr QByteArrayView PartialLine = "Holds: only some files of the data folder";
constexpr QByteArrayView FilesKey = "Files: ";

QString reasonOf(int error)
{
    return qt_error_string(error);
}

QString shown(QByteArrayView name)
{
    return QFile::decodeName(name.toByteArray());
}

// What an entry that is not a regular file is, for the user.
QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO (a named pipe)");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("not a file");
}

QByteArray createdText(const QDateTime& created)
{
    return created.toUTC().toString(Qt::ISODate).toUtf8();
}

QByteArray sha256Hex(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

Outcome failure(QString error)
{
    Outcome o;
    o.error = std::move(error);
    return o;
}

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    void reset(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Closes now, so that a failing close is seen (it can report a write that did not reach the disk).
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

// libarchive converts names by the thread's locale, and in the C locale (cron
// jobs often run in it) it fails on any name that is not ASCII. A UTF-8 locale
// for this thread while it works keeps names as the file system holds them.
class Utf8Names {
public:
    Utf8Names() : m_utf8(::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr)))
    {
        if (m_utf8)
            m_previous = ::uselocale(m_utf8);
    }
    ~Utf8Names()
    {
        if (m_utf8) {
            ::uselocale(m_previous);
            ::freelocale(m_utf8);
        }
    }
    Utf8Names(const Utf8Names&) = delete;
    Utf8Names& operator=(const Utf8Names&) = delete;

private:
    locale_t m_utf8;
    locale_t m_previous = nullptr;
};

struct ArchiveFree {
    void operator()(archive* a) const { lib().archive_free(a); }
};
using ArchivePtr = std::unique_ptr<archive, ArchiveFree>;

// ---------------------------------------------------------------------------
// Reading the data folder

struct FolderFile {
    Member member;
    QByteArray bytes;
    struct timespec mtime {};
    mode_t perm = 0600;
    QString leftOut; // why it is not backed up, when it is not
};

QByteArray canonicalPath(const QByteArray& path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.constData(), resolved) ? QByteArray(resolved) : QByteArray();
}

// Why a backup leaves this entry of `folder` (a canonical path) out, or nothing
// when it is a record to back up. An entry that cannot be looked at is a record:
// reading it then names the reason.
std::optional<QString> leftOutKind(int dirFd, const QByteArray& folder, const QByteArray& name)
{
    struct stat st;
    if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    if (S_ISLNK(st.st_mode)) {
        // A link is read only when it leads to an entry of the data folder itself.
        const QByteArray target = canonicalPath(folder + '/' + name);
        if (target.isEmpty() || !target.startsWith(folder + '/') || target.indexOf('/', folder.size() + 1) >= 0)
            return QStringLiteral("a link that leads out of the data folder");
        if (::fstatat(dirFd, name.constData(), &st, 0) != 0)
            return std::nullopt;
    }
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("a folder");
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("not a file");
    if (isLeftOutByName(name))
        return QStringLiteral("a hidden file");
    return std::nullopt;
}

// Reads one entry of the folder; the reason, naming it, when it cannot be.
std::optional<QString> readEntry(int dirFd, const QByteArray& folder, const QByteArray& name, FolderFile* out)
{
    out->member.name = name;
    if (auto kind = leftOutKind(dirFd, folder, name)) {
        out->leftOut = *kind;
        return std::nullopt;
    }
    const auto unreadable = [&name](const QString& why) {
        return QStringLiteral("The file \"%1\" of the data folder could not be read: %2").arg(shown(name), why);
    };
    // Never blocks on a FIFO put in place since it was looked at: it is opened without waiting, then refused.
    constexpr int Flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    Descriptor fd(::openat(dirFd, name.constData(), Flags));
    if (fd.get() < 0)
        return unreadable(reasonOf(errno));
    struct stat st;
    if (::fstat(fd.get(), &st) != 0)
        return unreadable(reasonOf(errno));
    if (!S_ISREG(st.st_mode))
        return unreadable(QStringLiteral("it is not a file."));
    if (st.st_size > MaxUnpackedBytes)
        return unreadable(QStringLiteral("it is larger than a backup may hold."));
    QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    for (;;) {
        if (done == bytes.size())
            bytes.resize(done + 65536); // the file grew while it was read
        const ssize_t n = ::read(fd.get(), bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return unreadable(reasonOf(errno));
        if (n == 0)
            break;
        done += n;
    }
    bytes.truncate(done);
    out->member = {name, done, sha256Hex(bytes)};
    out->bytes = std::move(bytes);
    out->mtime = st.st_mtim;
    out->perm = st.st_mode & 0777;
    return std::nullopt;
}

std::optional<QString> readFolder(const QString& dataFolder, QList<FolderFile>* files, QList<LeftOut>* leftOut,
                                  const QSet<QByteArray>* only)
{
    const QByteArray folder = canonicalPath(QFile::encodeName(dataFolder));
    Descriptor dirFd(folder.isEmpty() ? -1 : ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.get() < 0)
        return QStringLiteral("The data folder \"%1\" could not be opened: %2")
            .arg(QDir::toNativeSeparators(dataFolder), reasonOf(errno));
    QList<QByteArray> names;
    {
        DIR* dir = ::fdopendir(::dup(dirFd.get()));
        if (!dir)
            return QStringLiteral("The data folder \"%1\" could not be read: %2")
                .arg(QDir::toNativeSeparators(dataFolder), reasonOf(errno));
        errno = 0;
        while (const dirent* e = ::readdir(dir)) {
            const QByteArray name(e->d_name);
            if (name != "." && name != "..")
                names << name;
        }
        const int error = errno;
        ::closedir(dir);
        if (error)
            return QStringLiteral("The data folder \"%1\" could not be read: %2")
                .arg(QDir::toNativeSeparators(dataFolder), reasonOf(error));
    }
    std::sort(names.begin(), names.end());
    names.removeIf([&dirFd](const QByteArray& name) {
        struct stat st;
        return DataFolder::isSaveLeftover(QFile::decodeName(name)) &&
               ::fstatat(dirFd.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
    });
    if (only)
        names.removeIf([only](const QByteArray& name) { return !only->contains(name); });

    // Two readers, each taking every other file: reading many small files is
    // mostly waiting on the system, which two can share.
    files->resize(names.size());
    QList<std::optional<QString>> problems(names.size());
    const auto readEvery = [&](qsizetype first) {
        for (qsizetype i = first; i < names.size(); i += 2)
            if ((problems[i] = readEntry(dirFd.get(), folder, names[i], &(*files)[i])))
                return;
    };
    std::thread second(readEvery, 1);
    readEvery(0);
    second.join();
    qint64 total = 0;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (problems[i])
            return problems[i];
        total += (*files)[i].member.size; // each at most MaxUnpackedBytes, so no overflow
    }
    files->removeIf([leftOut](const FolderFile& f) {
        if (f.leftOut.isEmpty())
            return false;
        leftOut->append({f.member.name, f.leftOut});
        return true;
    });
    if (total > MaxUnpackedBytes)
        return QStringLiteral("The data folder holds more than a backup may hold (1 GiB).");
    return std::nullopt;
}

// ---------------------------------------------------------------------------
// Writing an archive

la_ssize_t appendToBuffer(archive*, void* buffer, const void* data, size_t size)
{
    static_cast<QByteArray*>(buffer)->append(static_cast<const char*>(data), qsizetype(size));
    return la_ssize_t(size);
}

std::optional<QString> buildArchive(const QDateTime& made, const QByteArray& manifest, const QList<FolderFile>& files,
                                    QByteArray* out)
{
    ArchivePtr a(lib().archive_write_new());
    const auto problem = [&a] {
        return QStringLiteral("The archive could not be made: %1")
            .arg(QString::fromUtf8(lib().archive_error_string(a.get())));
    };
    // Names are stored as the file system holds them: in UTF-8, and a name that
    // is not UTF-8 byte for byte (pax "hdrcharset=BINARY"). The fastest
    // compression: records are small texts, the archive is mostly tar headers.
    if (lib().archive_write_add_filter_gzip(a.get()) != ARCHIVE_OK ||
        lib().archive_write_set_format_pax_restricted(a.get()) ||
        lib().archive_write_set_options(a.get(), "gzip:compression-level=1") != ARCHIVE_OK ||
        lib().archive_write_set_bytes_in_last_block(a.get(), 1) != ARCHIVE_OK ||
        lib().archive_write_open(a.get(), out, nullptr, appendToBuffer, nullptr) != ARCHIVE_OK)
        return problem();

    std::unique_ptr<archive_entry, decltype(&archive_entry_free)> entry(lib().archive_entry_new(),
                                                                        lib().archive_entry_free);
    const auto add = [&](const char* name, const QByteArray& bytes, const struct timespec& mtime, mode_t perm) {
        lib().archive_entry_clear(entry.get());
        lib().archive_entry_set_pathname(entry.get(), name);
        lib().archive_entry_set_filetype(entry.get(), AE_IFREG);
        lib().archive_entry_set_perm(entry.get(), perm);
        lib().archive_entry_set_size(entry.get(), bytes.size());
        lib().archive_entry_set_mtime(entry.get(), mtime.tv_sec, mtime.tv_nsec);
        // A warning is a name that is not UTF-8, stored byte for byte.
        return lib().archive_write_header(a.get(), entry.get()) >= ARCHIVE_WARN &&
               lib().archive_write_data(a.get(), bytes.constData(), size_t(bytes.size())) == la_ssize_t(bytes.size());
    };
    const struct timespec created = {time_t(made.toSecsSinceEpoch()), 0};
    if (!add(ManifestName, manifest, created, 0600))
        return problem();
    for (const FolderFile& file : files)
        if (!add(file.member.name.constData(), file.bytes, file.mtime, file.perm))
            return problem();
    if (lib().archive_write_close(a.get()) != ARCHIVE_OK)
        return problem();
    return std::nullopt;
}

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

// ---------------------------------------------------------------------------
// Reading an archive: gzip is undone by one reader whose output is checked
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

// Removes what a killed save of `path` left beside it: "path.XXXXXX", the
// temporary of a save, six letters or digits, a regular file.
void removeSaveLeftoversOf(const QString& path)
{
    const QFileInfo target(path);
    const QString prefix = target.fileName() + QLatin1Char('.');
    QDir folder = target.absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
        if (name.size() != prefix.size() + 6 || !name.startsWith(prefix))
            continue;
        const QStringView suffix = QStringView(name).sliced(prefix.size());
        if (std::all_of(suffix.begin(), suffix.end(), [](QChar c) {
                return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
            }))
            folder.remove(name);
    }
}

} // namespace

// ---------------------------------------------------------------------------

bool isDataFolder(const QString& folder, const QString& dataFolder)
{
    const QString data = QFileInfo(dataFolder).canonicalFilePath();
    return !data.isEmpty() && QFileInfo(folder).canonicalFilePath() == data;
}

bool isPlainName(QByteArrayView name)
{
    return !name.isEmpty() && name.size() <= NameMax && name != "." && name != ".." && !name.contains('/') &&
           !name.contains('\0');
}

bool isLeftOutByName(QByteArrayView name)
{
    return name.startsWith('.') && !name.endsWith(".gbx");
}

QString describe(const QList<LeftOut>& leftOut)
{
    QStringList parts;
    for (const LeftOut& entry : leftOut)
        parts << QStringLiteral("%1 (%2)").arg(shown(entry.name), entry.kind);
    return parts.isEmpty() ? QString() : QStringLiteral("left out: ") + parts.join(QStringLiteral(", "));
}

QList<LeftOut> leftOutOf(const QString& folder)
{
    QList<LeftOut> found;
    const QByteArray real = canonicalPath(QFile::encodeName(folder));
    Descriptor dirFd(real.isEmpty() ? -1 : ::open(real.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    DIR* dir = dirFd.get() < 0 ? nullptr : ::fdopendir(::dup(dirFd.get()));
    if (!dir)
        return found;
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == "..")
            continue;
        if (auto kind = leftOutKind(dirFd.get(), real, name))
            found.append({name, *kind});
    }
    ::closedir(dir);
    return found;
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
    QByteArrayView size, encoded;
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

// Every file of the folder, or only those named in `only`.
static Outcome writeFolder(const QString& dataFolder, const QString& archivePath, const QSet<QByteArray>* only)
{
    if (auto problem = LibArchive::load())
        return failure(*problem);
    const Utf8Names names;
    if (isDataFolder(QFileInfo(archivePath).absolutePath(), dataFolder))
        return failure(QStringLiteral("A backup cannot be kept in the data folder it backs up. Please choose another "
                                      "folder."));
    // A save renames over what is there: never over a FIFO, a device or a folder.
    if (struct stat st; ::stat(QFile::encodeName(archivePath).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return failure(QStringLiteral("The backup cannot be saved as \"%1\": it is %2, not a file. Please choose "
                                      "another name.")
                           .arg(QDir::toNativeSeparators(archivePath), kindOf(st.st_mode)));
    removeSaveLeftoversOf(archivePath);
    QList<FolderFile> files;
    QList<LeftOut> leftOut;
    if (auto problem = readFolder(dataFolder, &files, &leftOut, only))
        return failure(*problem);
    if (files.size() > maxFiles)
        return failure(QStringLiteral("The data folder holds %1 files, more than a backup may hold (%2).")
                           .arg(files.size())
                           .arg(maxFiles));

    Manifest manifest;
    manifest.programVersion = QStringLiteral(GEARBOOK_VERSION);
    manifest.partial = only != nullptr;
    manifest.created = QDateTime::currentDateTimeUtc();
    manifest.created.setTime(
        QTime(manifest.created.time().hour(), manifest.created.time().minute(), manifest.created.time().second()));
    manifest.members.reserve(files.size());
    for (const FolderFile& f : std::as_const(files))
        manifest.members.append(f.member);

    const QByteArray manifestBytes = manifest.toBytes();
    if (manifestBytes.size() > maxManifestBytes)
        return failure(QStringLiteral("The list of the data folder's files would be larger than a backup's manifest "
                                      "may be (%1 MiB).")
                           .arg(maxManifestBytes >> 20));
    QByteArray bytes;
    if (auto problem = buildArchive(manifest.created, manifestBytes, files, &bytes))
        return failure(*problem);
    files.clear(); // the archive holds them now

    const WriteResult written = writeFileSafely(archivePath, bytes, PrivateFile);
    if (!written)
        return failure(QStringLiteral("The backup \"%1\" could not be saved: %2")
                           .arg(QDir::toNativeSeparators(archivePath), written.error));

    Outcome check = checkArchive(archivePath);
    if (check && (check.manifest.members != manifest.members || check.manifest.created != manifest.created ||
                  check.manifest.partial != manifest.partial)) {
        check.ok = false;
        check.error = QStringLiteral("It does not hold the files that were read from the data folder.");
    }
    if (!check) {
        QFile::remove(archivePath);
        return failure(QStringLiteral("The backup \"%1\" did not read back as it was written, so it has been "
                                      "deleted.\n\n%2")
                           .arg(QDir::toNativeSeparators(archivePath), check.error));
    }
    check.leftOut = std::move(leftOut);
    return check;
}

Outcome writeBackup(const QString& dataFolder, const QString& archivePath)
{
    return writeFolder(dataFolder, archivePath, nullptr);
}

Outcome writeBackup(const QString& dataFolder, const QString& archivePath, const QStringList& only)
{
    QSet<QByteArray> names;
    for (const QString& name : only)
        names.insert(QFile::encodeName(name));
    return writeFolder(dataFolder, archivePath, &names);
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

void removeArchive(const QString& archivePath)
{
    removeSaveLeftoversOf(archivePath);
    QFile::remove(archivePath);
}

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
