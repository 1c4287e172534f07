#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The record format of every data file: comma-separated fields, texts in
// double quotes with nothing escaped, truth values as #TRUE# / #FALSE#, each
// record ended by CR LF, one Windows-1252 byte per character.
namespace RecordFile {

// How texts are stored. The values of vehicle files and entry records keep
// every character, the code page's own as bytes and the others as character
// references (Win1252::encodeReferences). List files and login files hold the
// code page alone: names are file names and never carry what it cannot hold.
enum class Texts { References, CodePageOnly };

class Writer {
public:
    explicit Writer(Texts texts = Texts::References) : m_texts(texts) {}
    Writer& text(QStringView value);
    Writer& truth(bool value);
    // Ends the current record with CR LF.
    Writer& endRecord();
    const QByteArray& bytes() const { return m_bytes; }

private:
    void separate();
    QByteArray m_bytes;
    Texts m_texts;
    bool m_inRecord = false;
};

// Reads fields one after another. A read that finds no byte left fails
// (returns nothing); callers stop at the first failure.
class Reader {
public:
    explicit Reader(QByteArray bytes, Texts texts = Texts::References);

    // True while bytes remain: the loop condition of a list read.
    bool hasMore() const { return m_pos < m_bytes.size(); }

    std::optional<QString> text();
    // Fails on a field that is not a truth value.
    std::optional<bool> truth();

private:
    struct Field {
        QByteArrayView raw;
        bool quoted = false;
    };
    std::optional<Field> next();
    QByteArray m_bytes;
    Texts m_texts;
    qsizetype m_pos = 0;
};

// One record of text values.
QByteArray textRecord(const QStringList& fields);
// One record of one text field per name: the list files.
QByteArray listFile(const QStringList& names);
// Every name of a list file, up to the first field that cannot be read.
QStringList parseListFile(const QByteArray& bytes);
// Reads `count` text fields of one record; nothing when fewer are there.
std::optional<QStringList> parseTextRecord(const QByteArray& bytes, int count, Texts texts = Texts::References);
// A truth value read as a text field: #TRUE# and #FALSE# read as "True" and
// "False" (any case, as typed ones were converted); nothing for other texts.
std::optional<bool> truthOf(QStringView value);

// The picture file: one plain line, read back whole.
QByteArray plainLine(QStringView line);
QString parsePlainLine(const QByteArray& bytes);

// What reading a whole file found: its bytes, no file, or a file that is
// there but cannot be read (with the system's reason). Only a missing file
// may be handled as "nothing stored yet"; an unreadable one must never be
// written over.
struct ReadResult {
    enum class Status { Read, Missing, Unreadable };
    Status status = Status::Missing;
    QByteArray bytes;
    QString error;

    bool missing() const { return status == Status::Missing; }
    bool unreadable() const { return status == Status::Unreadable; }
    explicit operator bool() const { return status == Status::Read; }
    const QByteArray& operator*() const { return bytes; }
    const QByteArray* operator->() const { return &bytes; }
};

// Reads a whole file. Never opens anything but a regular file for good (a
// FIFO would block), and follows links.
ReadResult readFile(const QString& path);

} // namespace RecordFile
