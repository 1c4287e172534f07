#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSet>
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
    // Only some files of the data folder (a safety backup of a few records):
    // never restored in place of the whole folder.
    bool partial = false;
    QList<Member> members;

    // The sum of the sizes; past MaxUnpackedBytes it stops counting (a hostile
    // manifest's sizes could otherwise add up past the largest number).
    qint64 totalSize() const;
    QByteArray toBytes() const;
    // Nothing, and the reason in `error`, when the bytes are not a manifest:
    // exactly the bytes toBytes() writes are one, so what is read writes back the same.
    static std::optional<Manifest> parse(QByteArrayView bytes, QString* error);
};

// Reads a manifest as it arrives, a piece at a time: the heading first, and
// nothing kept beyond the caps below, so a hostile manifest costs no more
// memory than a real one of the same size.
class ManifestReader {
public:
    // False once the bytes cannot be a manifest; error() says why.
    bool add(QByteArrayView bytes);
    // The manifest, once every byte has been added; else nothing, and error() says why.
    std::optional<Manifest> finish();
    const QString& error() const { return m_error; }

private:
    bool line(QByteArrayView text);
    bool fail(const QString& why);

    Manifest m_manifest;
    QByteArray m_partial; // a line that has not ended yet
    qint64 m_bytes = 0;
    qint64 m_lines = 0;
    qint64 m_count = -1; // the file count of the heading, once read
    QSet<QByteArray> m_names;
    QString m_error;
};

// The manifest's name inside an archive; it is always the first member.
extern const char* const ManifestName;
// No archive unpacks to more than this; a backup that would is refused.
constexpr qint64 MaxUnpackedBytes = qint64(1) << 30;
// One cap on the manifest for the writer and the reader: a backup that would
// exceed it is refused before it is written, an archive that does is damaged.
constexpr qint64 MaxFiles = 100000;
constexpr qint64 MaxManifestBytes = qint64(16) << 20;

// Whether a backup leaves out a regular file of this name: a hidden file that
// is not a record (a sync tool's `.stignore`, `.sync_*.db`, `.directory`).
bool isLeftOutByName(QByteArrayView name);

// An entry of the data folder that a backup did not hold, and why.
struct LeftOut {
    QByteArray name;
    QString kind; // "a folder", ...
};

// "left out: .stfolder (a folder), .stignore (a hidden file)", or nothing.
QString describe(const QList<LeftOut>& leftOut);

struct Outcome {
    bool ok = false;
    QString error;          // why not, in words for the user
    Manifest manifest;      // what the archive holds, when ok
    QList<LeftOut> leftOut; // what a backup left out of the data folder

    explicit operator bool() const { return ok; }
};

// Writes every file of `dataFolder` (save temporaries left out) into a new
// archive at `archivePath`, saved atomically, then reads the written archive
// back and checks it against what was read from the folder. A failed check
// deletes the archive. An archive path in the data folder is refused. A file of the folder that cannot be read fails
// the backup, naming it: a backup is whole or it is nothing. What is not a
// record (folders, special files, links out of the folder, hidden files that
// are not records) is left out and named in `leftOut`, never a failure: a
// sync tool keeps its own entries there. Leftovers of an earlier save of the
// same archive that was killed (`archivePath.XXXXXX`) are removed.
Outcome writeBackup(const QString& dataFolder, const QString& archivePath);
// The same for the named files of `dataFolder` only (a safety backup of a few
// records); its manifest says it is partial.
Outcome writeBackup(const QString& dataFolder, const QString& archivePath, const QStringList& only);

// Checks an archive in full: the gzip checksum, the manifest, each member's
// name (a plain file name), kind (a regular file), size and SHA-256, and that
// none is missing, repeated or unlisted. With `unpackInto` (an existing empty
// folder) each member is also written there as it is checked; when the check
// fails, that folder holds a part and the caller discards it. Members a backup
// leaves out by name are checked but not unpacked: a restore keeps the data
// folder's own.
Outcome checkArchive(const QString& archivePath, const QString& unpackInto = QString());

// Reads only the manifest, to tell the user what an archive holds.
Outcome readManifest(const QString& archivePath);

// What a partial archive holds, why it is no whole backup and where its files
// are, for the user: the check and the restore say the same.
QString describePartial(const Manifest& manifest);

// Removes an archive that will never be used and what a killed save of it left beside it.
void removeArchive(const QString& archivePath);

// Whether `folder` is the data folder itself (through any link): backups and
// exports are never written among the records they are made of.
bool isDataFolder(const QString& folder, const QString& dataFolder);

// A name an archive member may have: one file of one folder, at most 255 bytes
// (no folder can hold a longer name).
bool isPlainName(QByteArrayView name);

// What `folder` holds that a backup of it would leave out.
QList<LeftOut> leftOutOf(const QString& folder);

// For tests: the two caps above, lowered (for writer and reader alike).
void setCapsForTests(qint64 maxFiles, qint64 maxManifestBytes);

} // namespace Backup
