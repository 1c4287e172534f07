#pragma once

#include "common/SafeFile.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <utility>

// Many files written as one, as writeFileSafely writes one, but with one sync
// for all: every file's bytes to a temporary beside it, one sync of the file
// system, then the renames and one sync of the folder. A kill leaves whole
// files and save temporaries only (a start removes those). `afterEach` is
// called after each temporary and after each rename (1, 2, ...). On failure
// `renamed` files are written and `failedAt` is the file that failed; before
// any rename, no file is written and every temporary is removed.
WriteResult writeFilesSafely(const QList<std::pair<QString, QByteArray>>& files,
                             const std::function<void(qsizetype)>& afterEach, qsizetype* renamed, qsizetype* failedAt);
