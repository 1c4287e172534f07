#include "import/ImportNames.h"

#include "common/Win1252.h"

#include <QHash>

namespace ImportNames {

QString nearestFileName(const QString& name)
{
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    QString out;
    for (const QChar c : name) {
        if (forbidden.contains(c)) {
            out += u'-';
        } else if (c.category() == QChar::Other_Control) {
            out += u' ';
        } else if (Win1252::canEncode(c)) {
            out += c;
        } else {
            // The letter without its marks, when that one can be stored.
            static const QHash<QChar, QChar> unmarked = {
                {QChar(0x141), u'L'}, {QChar(0x142), u'l'}, {QChar(0x110), u'D'}, {QChar(0x111), u'd'},
                {QChar(0x131), u'i'}, {QChar(0x126), u'H'}, {QChar(0x127), u'h'}};
            const QString plain = unmarked.contains(c) ? QString(unmarked.value(c))
                                                       : QString(c).normalized(QString::NormalizationForm_KD);
            bool any = false;
            for (const QChar p : plain)
                if (!p.isMark() && Win1252::canEncode(p) && p.category() != QChar::Other_Control) {
                    out += p;
                    any = true;
                }
            if (!any)
                out += u'-';
        }
    }
    return out.simplified();
}

QStringList vehicleNames(const QList<QStringList>& makeModelYear)
{
    const auto joined = [](const QStringList& parts) {
        QStringList shown;
        for (const QString& p : parts)
            if (!p.trimmed().isEmpty())
                shown << p.trimmed();
        return shown.join(u' ');
    };
    QStringList names;
    QHash<QString, int> count;
    for (const QStringList& row : makeModelYear) {
        names << joined(row.mid(0, 2));
        ++count[names.last()];
    }
    QHash<QString, int> seen;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (count.value(names[i]) > 1)
            names[i] = joined(makeModelYear[i].mid(0, 3));
        if (!names[i].isEmpty() && ++seen[names[i]] > 1)
            names[i] += QStringLiteral(" (%1)").arg(seen[names[i]]);
    }
    return names;
}

} // namespace ImportNames
