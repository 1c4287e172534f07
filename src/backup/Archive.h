#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Backup archives: a gzip-compressed tar whose first member is a manifest,
// followed by every file of the data folder under its plain name, byte for
// byte. Nothing here shows a window; callers tell the user.
namespace Backup {

// One file as the manifest lists it.
struct Member {
    QByteArray name; // the file name's bytes as the file system holds them
    qint64 size = 0;
    QByteArray sha256; // lower-case hex

    bool operator==(const Member&) const = default;
};

struct Manifest {
    QString programVersion;
    QDateTime created; // UTC, whole seconds
    QList<Member> members;

    qint64 totalSize() const;
    QByteArray toBytes() const;
    // Nothing, and the reason in `error`, when the bytes are not a manifest.
    static std::optional<Manifest> parse(const QByteArray& bytes, QString* error);
};

// The manifest's name inside an archive; it is always the first member.
extern const char* const ManifestName;
// No archive unpacks to more than this; a backup that would is refused.
constexpr qint64 MaxUnpackedBytes = qint64(1) << 30;

struct Outcome {
    bool ok = false;
    QString error;     // why not, in words for the user
    Manifest manifest; // what the archive holds, when ok

    explicit operator bool() const { return ok; }
};

// Writes every file of `dataFolder` (save temporaries left out) into a new
// archive at `archivePath`, saved atomically, then reads the written archive
// back and checks it against what was read from the folder. A failed check
// deletes the archive. An archive path in the data folder is refused. A file of the folder that cannot be read fails
// the backup, naming it: a backup is whole or it is nothing.
Outcome writeBackup(const QString& dataFolder, const QString& archivePath);
// The same for the named files of `dataFolder` only (a safety backup of a few records).
Outcome writeBackup(const QString& dataFolder, const QString& archivePath, const QStringList& only);

// Checks an archive in full: the gzip checksum, the manifest, each member's
// name (a plain file name), kind (a regular file), size and SHA-256, and that
// none is missing, repeated or unlisted. With `unpackInto` (an existing empty
// folder) each member is also written there as it is checked; when the check
// fails, that folder holds a part and the caller discards it.
Outcome checkArchive(const QString& archivePath, const QString& unpackInto = QString());

// Reads only the manifest, to tell the user what an archive holds.
Outcome readManifest(const QString& archivePath);

// Whether `folder` is the data folder itself (through any link): backups and
// exports are never written among the records they are made of.
bool isDataFolder(const QString& folder, const QString& dataFolder);

// A name an archive member may have: one file of one folder.
bool isPlainName(QByteArrayView name);

} // namespace Backup
