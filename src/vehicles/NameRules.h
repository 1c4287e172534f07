#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Names typed by the user become parts of file names in the data folder
// (vehicle name + suffix, vehicle name + entry name + ".gbx"). A name is
// refused when no file could be named after it, so that no save can fail
// silently later.
namespace NameRules {

// The longest file name, in bytes of the file system's encoding, that the
// data folder can hold.
constexpr int MaxFileNameBytes = 255;

// Why `name` cannot be used, as a message for the user; nothing when it can.
// Refused: \ / : * ? " < > |, control characters, characters that Windows-1252
// cannot hold, and names too long for their longest file name.
std::optional<QString> nameProblem(const QString& name);

// The same check for a name that ends up inside the file name `fileName`
// (a maintenance entry or a part: vehicle + entry + ".gbx"); the length
// check is made on `fileName`.
std::optional<QString> nameProblem(const QString& name, const QString& fileName);

// True when `fileName` is short enough for the data folder.
bool fitsFileName(const QString& fileName);

} // namespace NameRules
