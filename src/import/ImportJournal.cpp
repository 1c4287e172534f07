#include "import/ImportJournal.h"

#include "backup/Archive.h"
#include "common/DataFolder.h"
#include "common/RecordFile.h"
#include "common/RecordStore.h"
#include "import/Import.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>

namespace ImportJournal {

namespace {

const QByteArray Heading = "Gearbook import 1";
const QByteArray BackupLine = "backup ";
const QByteArray NewFile = "-";

QByteArray digest(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// One file as the note has it: digests only.
struct Noted {
    QString file;
    std::optional<QByteArray> before;
    QByteArray after;
};

struct Note {
    QString safetyBackup;
    QList<Noted> files;
};

bool isDigest(const QByteArray& text)
{
    if (text.size() != 64)
        return false;
    return std::ranges::all_of(text, [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// Only a plain file name of the folder's own kind: a note from elsewhere never names a file outside it.
bool isFolderFile(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QChar(0)) && !name.startsWith(QLatin1Char('.')) &&
           name.endsWith(QLatin1String(".gbx"), Qt::CaseInsensitive);
}

// The note read, or why it cannot be.
std::optional<Note> read(const QString& file, QString* why)
{
    const QFileInfo info(file);
    if (info.isFile() && info.size() > MaxBytes) {
        *why = QStringLiteral("it is larger than any import writes");
        return std::nullopt;
    }
    const RecordFile::ReadResult bytes = RecordFile::readFile(file);
    if (!bytes) {
        *why = bytes.error.isEmpty() ? QStringLiteral("it cannot be read") : bytes.error;
        return std::nullopt;
    }
    if (bytes->size() > MaxBytes) {
        *why = QStringLiteral("it is larger than any import writes");
        return std::nullopt;
    }
    const QList<QByteArray> lines = bytes->split('\n');
    // The heading, the backup, the files, and the empty rest after the last line break.
    if (lines.size() < 3 || lines.size() > MaxFiles + 3 || lines.first() != Heading || !lines.last().isEmpty() ||
        !lines.at(1).startsWith(BackupLine)) {
        *why = QStringLiteral("it is not a note Gearbook wrote");
        return std::nullopt;
    }
    Note note;
    note.safetyBackup = QString::fromUtf8(lines.at(1).mid(BackupLine.size()));
    for (qsizetype i = 2; i + 1 < lines.size(); ++i) {
        const QByteArray& line = lines.at(i);
        const QByteArray before = line.left(line.indexOf(' '));
        const QByteArray after = line.mid(before.size() + 1, 64);
        const QString name = QString::fromUtf8(line.mid(before.size() + 1 + 65));
        if ((before != NewFile && !isDigest(before)) || !isDigest(after) || line.size() < before.size() + 66 ||
            line.at(before.size() + 65) != ' ' || !isFolderFile(name)) {
            *why = QStringLiteral("its line %1 is not one Gearbook wrote").arg(i + 1);
            return std::nullopt;
        }
        note.files << Noted{name, before == NewFile ? std::nullopt : std::optional<QByteArray>(before), after};
    }
    return note;
}

QString listed(const QStringList& names)
{
    QStringList quoted;
    for (qsizetype i = 0; i < names.size() && i < 10; ++i)
        quoted << QStringLiteral("\"%1\"").arg(Import::printable(names.at(i)));
    if (names.size() > 10)
        quoted << QStringLiteral("%1 more").arg(names.size() - 10);
    return quoted.join(QStringLiteral(", "));
}

} // namespace

QString path()
{
    return VehicleFiles::inData(QString::fromLatin1(FileName));
}

WriteResult begin(const QString& safetyBackup, const QList<Entry>& entries)
{
    QByteArray note = Heading + '\n' + BackupLine + safetyBackup.toUtf8() + '\n';
    note.reserve(note.size() + entries.size() * 180);
    for (const Entry& e : entries)
        note += (e.before ? digest(*e.before) : NewFile) + ' ' + digest(e.after) + ' ' + e.file.toUtf8() + '\n';
    return writeFileSafely(path(), note);
}

bool finish()
{
    return QFile::remove(path()) || !QFileInfo::exists(path());
}

QString recover()
{
    const QString file = path();
    if (!QFileInfo::exists(file) && !QFileInfo(file).isSymLink())
        return {};
    QString why;
    const std::optional<Note> note = read(file, &why);
    if (!note) {
        const auto aside = ::setAside(file); // the note, not a record: out of the way as a record would be
        return QStringLiteral("An import was interrupted, but its note \"%1\" cannot be used: %2. %3 The newest "
                              "\"Gearbook safety backup\" beside the data folder holds the records as they were "
                              "before it; File > Restore Data with it puts them back.")
            .arg(QDir::toNativeSeparators(file), why,
                 aside ? QStringLiteral("It has been moved to \"%1\".").arg(QDir::toNativeSeparators(*aside))
                       : QStringLiteral("It could not be moved out of the way."));
    }
    // Temporaries of a batch cut off before its renames: never records.
    DataFolder::RemoveSaveLeftovers(DataFolder::path());
    // What each file holds now decides: as before (never written, or put back already), as the import wrote it
    // (put back now), or neither (someone changed it since: told, left alone).
    QList<const Noted*> removeNew;
    QList<const Noted*> restore;
    QStringList changedSince;
    for (const Noted& n : note->files) {
        const RecordFile::ReadResult now = RecordStore::read(n.file);
        if (now.missing() && !n.before)
            continue;
        if (now.unreadable()) {
            changedSince << n.file;
            continue;
        }
        const QByteArray nowDigest = now ? digest(*now) : QByteArray();
        if (now && n.before && nowDigest == *n.before)
            continue;
        if (now && nowDigest == n.after)
            (n.before ? restore : removeNew) << &n;
        else
            changedSince << n.file;
    }
    QStringList notBack;
    int putBack = 0;
    for (const Noted* n : std::as_const(removeNew)) {
        if (RecordStore::restoreFile(n->file, std::nullopt))
            ++putBack;
        else
            notBack << n->file;
    }
    if (!restore.isEmpty()) {
        QTemporaryDir unpacked;
        const bool ok = unpacked.isValid() && Backup::checkArchive(note->safetyBackup, unpacked.path());
        for (const Noted* n : std::as_const(restore)) {
            const RecordFile::ReadResult before =
                ok ? RecordFile::readFile(unpacked.path() + QLatin1Char('/') + n->file) : RecordFile::ReadResult();
            if (before && digest(*before) == *n->before && RecordStore::restoreFile(n->file, *before))
                ++putBack;
            else
                notBack << n->file;
        }
    }
    const QString backup = QDir::toNativeSeparators(Import::printable(note->safetyBackup));
    QString text =
        QStringLiteral("An import was interrupted before it was complete. ") +
        (putBack > 0 ? QStringLiteral("The %1 files it had written are put back as they were before it.").arg(putBack)
                     : QStringLiteral("It had written nothing that needed to be put back."));
    if (!changedSince.isEmpty())
        text +=
            QStringLiteral("\n\n%1 changed since the import, so they are left as they are.").arg(listed(changedSince));
    if (!notBack.isEmpty())
        text += QStringLiteral("\n\n%1 could not be put back; File > Restore Data with the safety backup puts every "
                               "record back as it was before the import.")
                    .arg(listed(notBack));
    text += QStringLiteral("\n\nThe safety backup made before the import is kept in\n\n\"%1\"").arg(backup);
    // Tried again at the next start while something could not be put back.
    if (notBack.isEmpty())
        finish();
    return text;
}

} // namespace ImportJournal
