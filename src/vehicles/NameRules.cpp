#include "NameRules.h"

#include "DataFolder.h"
#include "Win1252.h"

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

std::optional<QString> nameProblem(const QString& name)
{
    // The longest of a vehicle's own file names.
    return nameProblem(name, VehicleFiles::maintListFile(name));
}

} // namespace NameRules
