#include "access/CredentialStore.h"

#include "common/RecordFile.h"
#include "crypto/modCryptText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace CredentialStore {

namespace {

// Reads `count` fields of a credential file: split at commas and line ends,
// blanks before a field skipped, each field kept as the text it is.
std::optional<QStringList> readFields(const QString& path, int count, QString* problem = nullptr)
{
    const auto bytes = RecordFile::readFile(path);
    if (problem && !bytes)
        *problem = bytes.missing() ? QStringLiteral("The file is missing.") : bytes.error;
    return bytes ? RecordFile::parseTextRecord(*bytes, count, RecordFile::Texts::CodePageOnly) : std::nullopt;
}

std::optional<QString> readFlag(const QString& fileName, const QString& folder)
{
    const auto fields = readFields(filePath(fileName, folder), 1);
    if (!fields)
        return std::nullopt;
    return decodeValue(fields->at(0), OptionPhrase);
}

StoreWrite write(const QString& fileName, const QByteArray& bytes, const QString& folder)
{
    const QString path = filePath(fileName, folder);
    return StoreWrite{path, writeFileSafely(path, bytes, FilePermissions)};
}

} // namespace

QString filePath(const QString& fileName, const QString& folder)
{
    const QString base = folder.isEmpty() ? QDir::currentPath() : folder;
    if (base.endsWith(QLatin1Char('/')))
        return base + fileName;
    return base + QLatin1Char('/') + fileName;
}

QString encodeValue(const QString& plain, const QString& phrase)
{
    return QLatin1Char('a') + modCryptText::TextToHex(modCryptText::EncryptText(plain, phrase));
}

std::optional<QString> decodeValue(const QString& field, const QString& phrase)
{
    if (field.isEmpty())
        return std::nullopt;
    return modCryptText::DecryptText(modCryptText::HexToText(field.mid(1)), phrase);
}

std::optional<Login> readPasswordFile(const QString& folder, QString* problem)
{
    QString why;
    const auto fields = readFields(filePath(PasswordFileName, folder), 2, &why);
    std::optional<QString> name;
    std::optional<QString> password;
    if (fields) {
        name = decodeValue(fields->at(0), NamePhrase);
        password = decodeValue(fields->at(1), PasswordPhrase);
    }
    if (name && password)
        return Login{*name, *password};
    if (problem)
        *problem = why.isEmpty() ? QStringLiteral("It does not hold a user name and a password.") : why;
    return std::nullopt;
}

std::optional<QString> readRememberFlag(const QString& folder)
{
    return readFlag(RememberFileName, folder);
}

std::optional<QString> readSkipFlag(const QString& folder)
{
    return readFlag(SkipFileName, folder);
}

std::optional<double> numericValue(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    if (t.size() > 2 && t.at(0) == QLatin1Char('&')) {
        const QChar kind = t.at(1).toUpper();
        int base = 0;
        if (kind == QLatin1Char('H'))
            base = 16;
        else if (kind == QLatin1Char('O'))
            base = 8;
        if (base != 0) {
            bool ok = false;
            const qulonglong v = t.mid(2).toULongLong(&ok, base);
            if (!ok)
                return std::nullopt;
            return double(v);
        }
    }
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<int> checkBoxValue(const QString& text)
{
    const auto v = numericValue(text);
    if (!v)
        return std::nullopt;
    const double rounded = std::nearbyint(*v); // half to even, as an integer conversion of a text does
    if (rounded != 0 && rounded != 1 && rounded != 2)
        return std::nullopt;
    return int(rounded);
}

QByteArray optionFileBytes(const QString& flag)
{
    return encodeValue(flag, OptionPhrase).toLatin1() + "\r\n";
}

QByteArray passwordFileBytes(const QString& name, const QString& password)
{
    return encodeValue(name, NamePhrase).toLatin1() + ',' + encodeValue(password, PasswordPhrase).toLatin1() + "\r\n";
}

StoreWrite writeOptions(int rememberValue, int skipValue, const QString& folder)
{
    StoreWrite w = write(RememberFileName, optionFileBytes(QString::number(rememberValue)), folder);
    if (!w)
        return w;
    return write(SkipFileName, optionFileBytes(QString::number(skipValue)), folder);
}

StoreWrite writePasswordFile(const QString& name, const QString& password, const QString& folder)
{
    return write(PasswordFileName, passwordFileBytes(name, password), folder);
}

InstallReport installDefaultLogin(const QString& folder, bool reset)
{
    InstallReport report;
    if (!QDir().mkpath(folder)) {
        report.failedPath = folder;
        report.error = QStringLiteral("the folder cannot be created");
        return report;
    }
    const struct {
        const QString& name;
        QByteArray bytes;
    } files[] = {
        {PasswordFileName, passwordFileBytes(DefaultUserName, DefaultPassword)},
        {RememberFileName, optionFileBytes(QStringLiteral("0"))},
        {SkipFileName, optionFileBytes(QStringLiteral("0"))},
    };
    for (const auto& f : files) {
        const QString path = filePath(f.name, folder);
        // A dangling link counts as there too: never write through it.
        const QFileInfo info(path);
        if (!reset && (info.exists() || info.isSymLink())) {
            report.kept.append(f.name);
            continue;
        }
        const WriteResult r = writeFileSafely(path, f.bytes, FilePermissions);
        if (!r) {
            report.failedPath = path;
            report.error = r.error;
            return report;
        }
        report.written.append(f.name);
    }
    return report;
}

QString resetCommand(const QString& folder, const QString& programFolder)
{
    const QString tool = QStringLiteral("gearbook_credentials");
    const QFileInfo beside((programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder) +
                           QLatin1Char('/') + tool);
    QString command = tool;
    if (beside.isFile() && beside.isExecutable()) {
        command = QDir::toNativeSeparators(beside.absoluteFilePath());
        // Quoted only when a shell would split it, so the packaged one reads plainly.
        static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./+-]+$"));
        if (!plain.match(command).hasMatch())
            command = QLatin1Char('"') + command + QLatin1Char('"');
    }
    return command + QStringLiteral(" --reset \"") + QDir::toNativeSeparators(folder) + QLatin1Char('"');
}

} // namespace CredentialStore
