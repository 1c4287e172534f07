#include "vehicles/FieldGuard.h"

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

// The line breaks of a multi-line field's document; stored as CR LF.
bool isBreak(QChar c)
{
    return c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

// Cleans the text of a single-line field on every edit; the length stays, and
// so does the cursor.
class LineValidator final : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int&) const override
    {
        input.replace(StraightQuote, ClosingQuote);
        return Acceptable;
    }
};

// Multi-line fields have no validator; the document is mended right after the
// edit that brought the quote in, before any other event can see it.
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
        if (!raw.contains(StraightQuote))
            return;

        m_mending = true;
        QTextCursor cursor(doc);
        cursor.joinPreviousEditBlock();
        for (qsizetype i = raw.indexOf(StraightQuote); i >= 0; i = raw.indexOf(StraightQuote, i + 1)) {
            cursor.setPosition(int(i));
            cursor.setPosition(int(i) + 1, QTextCursor::KeepAnchor);
            cursor.insertText(QString(ClosingQuote));
        }
        cursor.endEditBlock();
        m_mending = false;
    }

    QPointer<QPlainTextEdit> m_field;
    bool m_mending = false;
};

} // namespace

QString clean(const QString& text)
{
    return QString(text).replace(StraightQuote, ClosingQuote);
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

QString storedForm(const QString& text)
{
    QString plain = clean(text);
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QChar c : {QChar(u'\r'), QChar(QChar::ParagraphSeparator), QChar(QChar::LineSeparator)})
        plain.replace(c, QLatin1Char('\n'));
    return plain.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

void setStoredText(QPlainTextEdit* field, const QString& text)
{
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    field->setPlainText(plain);
}

} // namespace FieldGuard
