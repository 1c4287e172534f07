#include "common/Console.h"

namespace Console {

void print(FILE* stream, const QString& text)
{
    // Values come from files others wrote: a NUL would end the text early, other control characters upset the
    // terminal.
    QString line = text + QLatin1Char('\n');
    for (QChar& c : line)
        if (c.category() == QChar::Other_Control && c != u'\n')
            c = QChar::ReplacementCharacter;
    std::fputs(qPrintable(line), stream);
    std::fflush(stream);
}

} // namespace Console
