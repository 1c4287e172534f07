#include "backup/Archive.h"
#include "backup/ArchiveParts.h"
#include "common/SafeFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>

#ifndef GEARBOOK_VERSION
#define GEARBOOK_VERSION "0"
#endif

namespace Backup {

using namespace detail;

namespace {

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

void removeArchive(const QString& archivePath)
{
    removeSaveLeftoversOf(archivePath);
    QFile::remove(archivePath);
}

} // namespace Backup
