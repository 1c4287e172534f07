#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <optional>

// The one way every file is written: to a temporary beside it, then renamed
// over it, so a crash or a full disk never leaves a half-written file.
struct WriteResult {
    bool ok = false;
    QString error; // the system's reason when !ok

    explicit operator bool() const { return ok; }
};

WriteResult writeFileSafely(const QString& path, const QByteArray& bytes,
                            std::optional<QFileDevice::Permissions> permissions = std::nullopt);

// Moves a file that exists but cannot be read out of the way, to
// "<path>.unreadable" (numbered if taken), so that nothing is ever written
// over it. Returns the new name, or nothing when it could not be moved.
std::optional<QString> setAside(const QString& path);
// setAside, and tells the user where the file went or that it stays untouched.
// Returns false when it could not be moved: the caller must then never write it.
bool setAsideAndTell(const QString& path);

// Reports a failed save once in a message box naming the file and the reason;
// the same file is not reported again until a save of it has succeeded.
// Returns result.ok so callers can write `if (!reportSave(path, writeFileSafely(...)))`.
bool reportSave(const QString& path, const WriteResult& result);
