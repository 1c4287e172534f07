#pragma once

#include "common/SafeFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The three credential files of the working folder: the password file holds
// the one user name and password, the two option files the login options.
// Every value is stored as "a" + the upper-case hex of its encrypted text, so
// the files hold nothing but letters, digits, one comma and line ends.
// Both login windows read and write them through these steps only.
namespace CredentialStore {

inline const QString PasswordFileName = QStringLiteral("logdata.gbx");
inline const QString RememberFileName = QStringLiteral("logdata2.gbx");
inline const QString SkipFileName = QStringLiteral("logdata3.gbx");
inline const QStringList FileNames{PasswordFileName, RememberFileName, SkipFileName};

inline const QString NamePhrase = QStringLiteral("ZUname");
inline const QString PasswordPhrase = QStringLiteral("ZWord");
inline const QString OptionPhrase = QStringLiteral("Seven grey herons fold maps over the lake");

// A file of the folder; an empty folder means the current working folder,
// taken at the moment of the call.
QString filePath(const QString& fileName, const QString& folder = QString());

// "a" followed by TextToHex(EncryptText(plain, phrase)).
QString encodeValue(const QString& plain, const QString& phrase);
// Drops the first character unread, then HexToText and DecryptText. Nothing for
// an empty field (it has no first character to drop); a field that does not
// decode properly simply gives another text, possibly empty.
std::optional<QString> decodeValue(const QString& field, const QString& phrase);

struct Login {
    QString name;
    QString password;
};

// The decoded name and password; nothing when the file is missing, has fewer
// than two fields, or a field is empty, and then `problem` (if given) says which.
std::optional<Login> readPasswordFile(const QString& folder = QString(), QString* problem = nullptr);
// The decoded flag of an option file; nothing when the file is missing, holds
// no field, or its field is empty.
std::optional<QString> readRememberFlag(const QString& folder = QString());
std::optional<QString> readSkipFlag(const QString& folder = QString());

// The numeric value of a text as the login windows judge a flag: blanks
// around it allowed, decimal (with sign, fraction, exponent) or &H / &O forms.
// Nothing when the text is not a number.
std::optional<double> numericValue(const QString& text);
// A text taken as a check box's value: its numeric value rounded half to even;
// nothing unless that is 0, 1 or 2.
std::optional<int> checkBoxValue(const QString& text);

// File contents, byte for byte.
QByteArray optionFileBytes(const QString& flag);
QByteArray passwordFileBytes(const QString& name, const QString& password);

// Result of a step that writes files: on failure, the file that could not be written.
struct StoreWrite {
    QString path;
    WriteResult result;
    explicit operator bool() const { return result.ok; }
};

// Files are private to their owner: they guard the program's login.
constexpr QFileDevice::Permissions FilePermissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Writes the remember file, then the skip file, each from a check box's value
// as decimal text. Stops at the first failure (the remember file may be written by then).
StoreWrite writeOptions(int rememberValue, int skipValue, const QString& folder = QString());
// Writes the password file from a name and a password.
StoreWrite writePasswordFile(const QString& name, const QString& password, const QString& folder = QString());

// The login an installation ships: user "admin", password "admin", both options off.
inline const QString DefaultUserName = QStringLiteral("admin");
inline const QString DefaultPassword = QStringLiteral("admin");

struct InstallReport {
    QStringList written; // file names written
    QStringList kept;    // file names that were there and were left alone
    QString failedPath;  // set when a write failed
    QString error;
    bool ok() const { return failedPath.isEmpty(); }
};
// Writes the default login into a folder (created when missing). A credential
// file that exists is kept unless `reset` is given, so an installation never
// loses a login that was changed.
InstallReport installDefaultLogin(const QString& folder, bool reset);

// The command that resets the login in `folder` to the default, for messages:
// the login tool in `programFolder` (the running program's, by default) when it
// is there, as in an installation and the package, else the tool's bare name.
QString resetCommand(const QString& folder, const QString& programFolder = QString());

} // namespace CredentialStore
