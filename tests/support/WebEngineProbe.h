#pragma once

#include <QDir>
#include <QFile>
#include <QString>

// True once Qt WebEngine's browser engine (Chromium) has started in this
// process. Linking the library costs nothing; starting the engine brings up its
// own named threads ("Chrome_IOThread" and others), which /proc lists.
inline bool chromiumStarted()
{
    const QDir tasks(QStringLiteral("/proc/self/task"));
    const QStringList ids = tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& id : ids) {
        QFile comm(tasks.filePath(id) + QStringLiteral("/comm"));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().startsWith("Chrome_"))
            return true;
    }
    return false;
}
