#pragma once

#include <QByteArray>
#include <QFile>

// True when a file whose path contains `part` is mapped into this process: a
// library or module that has been loaded.
inline bool libraryMapped(const QByteArray& part)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(part);
}
