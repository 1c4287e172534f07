#pragma once

#include <QString>

class QLineEdit;
class QPlainTextEdit;

// Keeps a field to what its record file can store, as the user types or
// pastes: a straight double quote (which would end the stored text early)
// becomes the closing quote ” at once. Every other character is kept (the
// record file stores what Windows-1252 cannot hold as a character reference),
// so what the field shows is exactly what is saved.
namespace FieldGuard {

void install(QLineEdit* field);
void install(QPlainTextEdit* field);

// The text with straight double quotes replaced.
QString clean(const QString& text);

// A multi-line field's text as the record file stores it (lines joined by
// CR LF, as the Windows original wrote them), and back. Reading accepts
// CR LF, CR or LF.
QString storedText(const QPlainTextEdit* field);
// What a multi-line field gives back as storedText for `text` it was given:
// straight quotes replaced, every line break CR LF. A value as loaded is put
// through it before it is compared with the screen's.
QString storedForm(const QString& text);
void setStoredText(QPlainTextEdit* field, const QString& text);

} // namespace FieldGuard
