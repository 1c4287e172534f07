#pragma once

#include "common/FileClaims.h"

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

// The same rule, the reason put briefly for a list of refused rows (an
// import): "the name holds “?”, which no file name can hold".
std::optional<QString> briefProblem(const QString& name, const QString& fileName);

// A new name whose files (`files`, of the data folder) differ only by letter
// case from files that records of `claims` have: where case does not tell
// names apart (a USB stick with exFAT, a folder synced with Windows or macOS)
// they are one file. Names already on disk are never asked about. Why, for the
// user (brief: for a list of refused rows); nothing when the name can be used.
std::optional<QString> caseProblem(const QString& name, const QStringList& files, const FileClaims& claims,
                                   bool brief = false);

// True when `fileName` is short enough for the data folder.
bool fitsFileName(const QString& fileName);

} // namespace NameRules
