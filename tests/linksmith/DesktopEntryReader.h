#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

// Reads desktop entries back the way a desktop does, independently of the
// writer: the string escapes first, then the Exec= quoting, then %%.
namespace DesktopEntryReader {

inline QString unescapeValue(const QString& value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar n = value.at(++i);
        switch (n.unicode()) {
        case 's':
            out += QLatin1Char(' ');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case '\\':
            out += QLatin1Char('\\');
            break;
        default:
            out += c;
            out += n;
            break; // not a string escape: left for the Exec rules
        }
    }
    return out;
}

// Keys of the [Desktop Entry] group, values unescaped.
inline QHash<QString, QString> keys(const QByteArray& file)
{
    QHash<QString, QString> result;
    bool inGroup = false;
    for (const QString& line : QString::fromUtf8(file).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inGroup || eq <= 0 || line.startsWith(QLatin1Char('#')))
            continue;
        result.insert(line.left(eq).trimmed(), unescapeValue(line.mid(eq + 1).trimmed()));
    }
    return result;
}

// Splits an (unescaped) Exec= value into its arguments. Returns an empty list
// when the quoting is broken.
inline QStringList execArguments(const QString& exec)
{
    QStringList args;
    QString current;
    bool inArg = false, quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted) {
            if (c == QLatin1Char('\\')) {
                if (i + 1 == exec.size() || !QStringLiteral("\"`$\\").contains(exec.at(i + 1)))
                    return {}; // only these four may follow a backslash
                current += exec.at(++i);
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else if (c == QLatin1Char('`') || c == QLatin1Char('$')) {
                return {}; // must have been escaped
            } else {
                current += c;
            }
        } else if (c == QLatin1Char(' ')) {
            if (inArg)
                args << current;
            current.clear();
            inArg = false;
        } else if (c == QLatin1Char('"')) {
            quoted = inArg = true;
        } else {
            current += c;
            inArg = true;
        }
    }
    if (quoted)
        return {};
    if (inArg)
        args << current;
    // Field codes: only %% (a literal percent sign) may appear here.
    for (QString& arg : args) {
        QString plain;
        for (qsizetype i = 0; i < arg.size(); ++i) {
            if (arg.at(i) == QLatin1Char('%')) {
                if (i + 1 >= arg.size() || arg.at(i + 1) != QLatin1Char('%'))
                    return {};
                ++i;
            }
            plain += arg.at(i);
        }
        arg = plain;
    }
    return args;
}

} // namespace DesktopEntryReader
