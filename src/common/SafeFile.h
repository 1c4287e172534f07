#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <optional>

// The one way every file is written: to a temporary beside it, flushed to the
// disk and checked, then renamed over it, so a crash or a full disk never
// leaves a half-written file and never reports success for one. A file that
// already holds exactly these bytes is left untouched (still a success), and a
// target that exists but is no regular file (a FIFO, a device, a socket) is
// refused without being opened.
struct WriteResult {
    bool ok = false;
    QString error; // the system's reason when !ok

    explicit operator bool() const { return ok; }
};

// What files that carry the records out of the data folder get (backups, exports, reports, calendars):
// the data folder is the owner's only, and so are they.
constexpr QFileDevice::Permissions PrivateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

WriteResult writeFileSafely(const QString& path, const QByteArray& bytes,
                            std::optional<QFileDevice::Permissions> permissions = std::nullopt);

// Moves a file that exists but cannot be read out of the way, to
// "<path>.unreadable" (numbered if taken), so that nothing is ever written
// over it. A link is moved, not what it leads to. Returns the new name, or
// nothing when it could not be moved.
std::optional<QString> setAside(const QString& path);
