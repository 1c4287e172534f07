#include "FieldGuard.h"

#include "Win1252.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QValidator>

namespace FieldGuard {

namespace {

constexpr QChar StraightQuote = u'"';
constexpr QChar ClosingQuote = u'\u201D';

bool keeps(QChar c)
{
    return Win1252::canEncode(c);
}

// The line breaks of a multi-line field's document; stored as CR LF.
bool isBreak(QChar c)
{
    return c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

// Cleans the text of a single-line field on every edit, keeping the cursor
// on the same character.
class LineValidator final : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override
    {
        bool refused = false;
        qsizetype before = 0; // removed characters before the cursor
        for (qsizetype i = 0; i < input.size(); ++i) {
            if (!keeps(input.at(i))) {
                refused = true;
                if (i < pos)
                    ++before;
            }
        }
        input = clean(input);
        pos -= int(before);
        if (refused)
            QApplication::beep();
        return Acceptable;
    }
};

// Multi-line fields have no validator; the document is mended right after the
// edit that brought the character in, before any other event can see it.
class PlainTextGuard final : public QObject {
public:
    explicit PlainTextGuard(QPlainTextEdit* field) : QObject(field), m_field(field)
    {
        connect(field->document(), &QTextDocument::contentsChanged, this, &PlainTextGuard::mend);
        mend();
    }

private:
    void mend()
    {
        if (m_mending || !m_field)
            return;
        QTextDocument* doc = m_field->document();
        const QString raw = doc->toRawText();
        bool needed = false;
        for (const QChar c : raw)
            if (c == StraightQuote || (!keeps(c) && !isBreak(c))) {
                needed = true;
                break;
            }
        if (!needed)
            return;

        m_mending = true;
        bool refused = false;
        QTextCursor cursor(doc);
        cursor.joinPreviousEditBlock();
        // Backwards, so earlier positions stay valid while characters go.
        for (qsizetype i = raw.size() - 1; i >= 0; --i) {
            const QChar c = raw.at(i);
            if (c != StraightQuote && (keeps(c) || isBreak(c)))
                continue;
            cursor.setPosition(int(i));
            cursor.setPosition(int(i) + 1, QTextCursor::KeepAnchor);
            if (c == StraightQuote) {
                cursor.insertText(QString(ClosingQuote));
            } else {
                cursor.removeSelectedText();
                refused = true;
            }
        }
        cursor.endEditBlock();
        m_mending = false;
        if (refused)
            QApplication::beep();
    }

    QPointer<QPlainTextEdit> m_field;
    bool m_mending = false;
};

} // namespace

QString clean(const QString& text, bool* refused)
{
    QString out;
    out.reserve(text.size());
    bool removed = false;
    for (const QChar c : text) {
        if (c == StraightQuote)
            out.append(ClosingQuote);
        else if (keeps(c))
            out.append(c);
        else
            removed = true;
    }
    if (refused)
        *refused = removed;
    return out;
}

void install(QLineEdit* field)
{
    field->setValidator(new LineValidator(field));
    // Text that was there before the guard came is mended too.
    if (!field->text().isEmpty())
        field->setText(clean(field->text()));
}

void install(QPlainTextEdit* field)
{
    new PlainTextGuard(field);
}

QString storedText(const QPlainTextEdit* field)
{
    // The raw text, not toPlainText(), which would turn a no-break space into a space.
    const QString raw = field->document()->toRawText();
    QString text;
    text.reserve(raw.size() + 16);
    for (const QChar c : raw) {
        if (isBreak(c))
            text.append(QStringLiteral("\r\n"));
        else
            text.append(c);
    }
    return text;
}

void setStoredText(QPlainTextEdit* field, const QString& text)
{
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    field->setPlainText(plain);
}

} // namespace FieldGuard
