#pragma once

#include <QString>
#include <QTemporaryDir>

// Every benchmark works in a private data home, never the user's.
QTemporaryDir& benchHome();
QString benchDataFolder();
