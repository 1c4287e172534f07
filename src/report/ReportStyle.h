#pragma once

#include <QColor>
#include <QFont>
#include <QSizeF>
#include <QString>
#include <QTextCharFormat>

// What the parts of the vehicle report share: the page's measures, its fonts and colours.
namespace HistoryReport {

constexpr int Dpi = 300;
constexpr double PageMarginMm = 15;
constexpr double FooterMm = 9;
constexpr QSizeF PictureMm(110, 75);

// Lengths drawn on the page: device pixels.
inline double px(double mm)
{
    return mm * Dpi / 25.4;
}

// Lengths in the document's formats (margins, padding, borders, image sizes):
// the layout counts them at 96 per inch and scales them to the device itself.
inline double docPx(double mm)
{
    return mm * 96 / 25.4;
}

inline QFont font(double points, bool bold = false)
{
    QFont f;
    f.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    // No ligatures: text copied or searched in the PDF must be the letters typed ("fl", not U+FB02).
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

inline QTextCharFormat textFormat(double points, bool bold = false, QColor colour = Qt::black)
{
    QTextCharFormat format;
    format.setFont(font(points, bold));
    format.setForeground(colour);
    return format;
}

// Stored texts end lines with CR LF (as the original wrote them); the
// document wants one line break per line.
inline QString lines(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

inline const QColor Grey(0x55, 0x55, 0x55);
inline const QColor Warning(0xa0, 0x10, 0x10);
inline const QColor Ink(0x1a, 0x3c, 0x78);

} // namespace HistoryReport
