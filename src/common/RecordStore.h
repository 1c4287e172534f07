#pragma once

#include "common/FileClaims.h"
#include "common/RecordFile.h"
#include "common/RecordLayout.h"
#include "common/SafeFile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The one way into the data folder's record, list and picture files: every
// write, setting aside and delete goes through a store. It takes values, never
// bytes, and keeps the folder's rules itself, so that no writer can forget one:
// - whose file it is: FileClaims is asked before every change, and a file
//   another record claims too is never changed (the refusal names both);
// - the value rule: a straight " is kept as ” (it would end the stored text),
//   line breaks as CR LF, letters outside Windows-1252 as character references;
// - a record is written only with its kind's count of values (RecordLayout);
// - unchanged means unwritten: values that equal the disk's under the value
//   rule write nothing, and ask no one.
class RecordStore {
public:
    using Claim = FileClaims::Claim;
    using Kind = RecordLayout::Kind;

    struct Outcome {
        enum class Status { Written, Unchanged, Refused, Failed };
        Status status = Status::Failed;
        QString path;       // the file, in the data folder
        QString message;    // Refused: names both records and how to separate them; Failed: the system's reason
        QString setAsideTo; // where setAside moved the file

        bool ok() const { return status == Status::Written || status == Status::Unchanged; }
        explicit operator bool() const { return ok(); }
        bool refused() const { return status == Status::Refused; }
        // For reportSave: a refusal is told by the caller, not reported as a failed save.
        WriteResult written() const { return {ok(), message}; }
    };

    // `claims` is made when a change first needs it: the window's pages give
    // the lists as they show them (pending names included), the import its
    // folder as it will be. Without one, the vehicle list and lists on disk.
    explicit RecordStore(std::function<FileClaims()> claims = {});
    explicit RecordStore(FileClaims claims);

    // The file of the data folder a record claim names.
    static QString fileOf(const Claim& claim);
    // The kind of record a claim writes; nothing for lists, pictures and unknown claims.
    static std::optional<Kind> recordKind(Claim::Kind kind);

    // The value rule: what a value is kept as.
    static QString stored(const QString& value);
    // The values of a record of `kind` as they are kept (truth values as "True" / "False").
    static QStringList storedValues(Kind kind, QStringList values);
    // A record's values from its bytes; nothing when it is short or a truth value is not one.
    static std::optional<QStringList> parse(Kind kind, const QByteArray& bytes);

    // The bytes a record of `kind` is kept as: the value rule applied, its
    // count of values checked (nothing when the count is wrong).
    static std::optional<QByteArray> recordBytes(Kind kind, const QStringList& values);
    // The bytes a list is kept as.
    static QByteArray listBytes(const QStringList& names);

    // A file of the data folder (a link out of it reads as unreadable).
    static RecordFile::ReadResult read(const QString& file);

    // Every claim on `mine`'s file other than `mine` (an unreadable list of
    // its own vehicle aside): a change is refused while there is one.
    QList<Claim> othersThan(const Claim& mine) const;
    // The refusal message, or empty when `mine` may change its file.
    QString refusal(const Claim& mine) const;
    const FileClaims& claims() const;

    // A record (vehicle, maintenance entry, part) with its kind's count of
    // values. `onDisk`, when given, is the file as the caller has just read
    // it: it is compared instead of reading again.
    Outcome writeRecord(const Claim& mine, const QStringList& values, const RecordFile::ReadResult* onDisk = nullptr);
    // A list (the vehicle list, a maintenance or parts list), in the order given.
    Outcome writeList(const Claim& mine, const QStringList& names, const RecordFile::ReadResult* onDisk = nullptr);
    // One record (its values) or list (its names) of a batch.
    struct Change {
        Claim claim;
        QStringList values;
    };
    // Many records and lists written as one (an import): each keeps every
    // rule of writeRecord and writeList, and then all are written together
    // (writeFilesSafely's batch: one sync instead of one a file). One outcome
    // a change, in order, up to the first that is refused or fails: nothing
    // is written when that happens before the renames; the Written ones are
    // on the disk. `afterEach` as the batch calls it.
    QList<Outcome> writeAll(const QList<Change>& changes, const std::function<void(qsizetype)>& afterEach = {});
    // The picture file: the picture's path.
    Outcome writePicture(const Claim& mine, const QString& picture);
    // Bytes this folder held before (an import put back, a conflict copy kept).
    Outcome putBack(const Claim& mine, const QByteArray& bytes);
    // A file of the data folder put back as an interrupted import found it
    // (nothing: it did not exist). Claims are not asked: the bytes are the
    // folder's own, from before, and the claims are those of a half-written folder.
    static Outcome restoreFile(const QString& file, const std::optional<QByteArray>& bytes);
    // Moves a file that cannot be read out of the way (setAside).
    Outcome setAside(const Claim& mine);
    // Deletes the file; a missing file is no failure.
    Outcome remove(const Claim& mine);

private:
    Outcome change(const Claim& mine, const QByteArray& bytes, const RecordFile::ReadResult* onDisk,
                   const std::function<bool(const QByteArray&)>& sameValues);
    std::optional<Outcome> refuse(const Claim& mine, const QString& path) const;

    std::function<FileClaims()> m_source;
    mutable std::optional<FileClaims> m_claims;
};
