#pragma once

#include "backup/Archive.h"
#include "backup/LibArchive.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QList>
#include <QSet>
#include <QString>

#include <clocale>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

// What the four parts of the archives share: the manifest (ArchiveManifest.cpp),
// the snapshot of the data folder (FolderSnapshot.cpp), the writer
// (ArchiveWriter.cpp) and the reader (ArchiveReader.cpp). Not for other files.
namespace Backup::detail {

using LibArchive::lib;

// The two caps of Archive.h, for writer and reader alike; lowered by setCapsForTests().
extern qint64 maxFiles;
extern qint64 maxManifestBytes;
// The longest name of a file (NAME_MAX).
constexpr qsizetype NameMax = 255;

inline QString reasonOf(int error)
{
    return qt_error_string(error);
}

inline QString shown(QByteArrayView name)
{
    return QFile::decodeName(name.toByteArray());
}

// What an entry that is not a regular file is, for the user.
inline QString kindOf(mode_t mode)
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

inline QByteArray sha256Hex(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

inline Outcome failure(QString error)
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

// One file of the data folder as a backup holds it.
struct FolderFile {
    Member member;
    QByteArray bytes;
    struct timespec mtime {};
    mode_t perm = 0600;
    QString leftOut; // why it is not backed up, when it is not
};

// Every record of `dataFolder` (or only those named in `only`), read whole, in
// name order; what is no record goes to `leftOut`. The reason, naming the file,
// when one cannot be read.
std::optional<QString> readFolder(const QString& dataFolder, QList<FolderFile>* files, QList<LeftOut>* leftOut,
                                  const QSet<QByteArray>* only);

} // namespace Backup::detail
