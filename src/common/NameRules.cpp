#include "common/NameRules.h"

#include "common/DataFolder.h"
#include "common/RecordStore.h"
#include "common/Win1252.h"

#include <QFile>

namespace NameRules {

namespace {

const QString ForbiddenCharacters = QStringLiteral("\\/:*?\"<>|");

QString describe(QChar c)
{
    return QStringLiteral("\u201C%1\u201D").arg(c);
}

} // namespace

bool fitsFileName(const QString& fileName)
{
    return QFile::encodeName(fileName).size() <= MaxFileNameBytes;
}

std::optional<QString> nameProblem(const QString& name, const QString& fileName)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (ForbiddenCharacters.contains(c))
            return QStringLiteral("The name cannot hold the character %1, because Gearbook names its files after "
                                  "it.\n\nPlease type the name without any of these characters:  \\ / : * ? \" < > |")
                .arg(describe(c));
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("The name cannot hold control characters (such as tabs or line breaks).\n\n"
                                  "Please type the name again.");
        if (!Win1252::canEncode(c)) {
            // A character outside the basic plane is two code units; show it whole.
            const QString shown = (c.isHighSurrogate() && i + 1 < name.size()) ? name.mid(i, 2) : QString(c);
            return QStringLiteral("The name cannot hold the character \u201C%1\u201D, because Gearbook's files can "
                                  "only store the characters of the Western (Windows-1252) character set.\n\n"
                                  "Please type the name without it.")
                .arg(shown);
        }
    }
    if (!fitsFileName(fileName))
        return QStringLiteral("The name is too long to be used in a file name.\n\nPlease type a shorter name.");
    return std::nullopt;
}

std::optional<QString> briefProblem(const QString& name, const QString& fileName)
{
    for (const QChar c : name) {
        if (ForbiddenCharacters.contains(c))
            return QStringLiteral("the name holds %1, which no file name can hold").arg(describe(c));
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("the name holds a control character (a tab or a line break)");
        if (!Win1252::canEncode(c))
            return QStringLiteral("the name holds %1, which Gearbook's files cannot store").arg(describe(c));
    }
    if (!fitsFileName(fileName))
        return QStringLiteral("the name is too long for a file name");
    return std::nullopt;
}

std::optional<QString> caseProblem(const QString& name, const QStringList& files, const FileClaims& claims, bool brief)
{
    for (const QString& file : files) {
        for (const FileClaims::Claim& c : claims.claimsOf(file, Qt::CaseInsensitive)) {
            const QString other = RecordStore::fileOf(c);
            if (c.kind == FileClaims::Claim::Unknown || other == file)
                continue; // the same file, or an unreadable list: the claims' own question
            if (brief)
                return QStringLiteral("its file \"%1\" differs only by letter case from \"%2\" (%3), and on a USB "
                                      "stick or a folder synced with Windows or a Mac they are one file")
                    .arg(file, other, c.described());
            return QStringLiteral("The name \u201C%1\u201D cannot be used: its file \"%2\" differs only by letter "
                                  "case from \"%3\", the file of %4. On a USB stick or in a folder synced with Windows "
                                  "or a Mac the two are one file, and one record would overwrite the other.\n\n"
                                  "Please choose another name.")
                .arg(name, file, other, c.described());
        }
    }
    return std::nullopt;
}

std::optional<QString> nameProblem(const QString& name)
{
    // The longest of a vehicle's own file names.
    return nameProblem(name, VehicleFiles::maintListFile(name));
}

} // namespace NameRules
