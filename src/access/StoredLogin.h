#pragma once

#include <QString>

class QCheckBox;

// What both login windows share: the stored login that they check typed
// values against, and the two login options that they write.
namespace StoredLogin {

// Reads the password file's name and password into the two texts; false,
// leaving them as they were, when the file cannot be read. `problem`, when
// given, says why a file that exists could not be read (empty when missing).
bool read(QString& name, QString& password, QString* problem = nullptr);

// Writes the two boxes' values to the option files; a failure is reported.
// When written, RememberFlag and SkipLoginFlag take the new values.
bool saveOptions(const QCheckBox* remember, const QCheckBox* skip);

} // namespace StoredLogin
