#include "report/MileageChart.h"
#include "report/ReportStyle.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace HistoryReport {

namespace {

// A round step of about range / count: 1, 2 or 5 times a power of ten.
qint64 niceStep(double range, int count)
{
    const double rough = std::max(range / count, 1.0);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double fraction = rough / power;
    const double step = fraction <= 1 ? 1 : fraction <= 2 ? 2 : fraction <= 5 ? 5 : 10;
    return std::max<qint64>(1, qint64(step * power));
}

} // namespace

void MileageChart::drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int, const QTextFormat&)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QFont labels = font(7);
    painter->setFont(labels);
    const QFontMetricsF metrics(labels, painter->device());

    const auto [low, high] = std::minmax_element(m_points.cbegin(), m_points.cend(),
                                                 [](const auto& a, const auto& b) { return a.mileage < b.mileage; });
    const qint64 step = niceStep(double(high->mileage - low->mileage), 4);
    const qint64 bottom = low->mileage / step * step - (low->mileage < 0 && low->mileage % step ? step : 0);
    qint64 top = bottom + step;
    while (top < high->mileage)
        top += step;
    QDate first = m_points.first().date;
    QDate last = m_points.last().date;
    if (first == last) {
        first = first.addDays(-15);
        last = last.addDays(15);
    }

    double labelWidth = 0;
    for (qint64 m = bottom; m <= top; m += step)
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(m_locale.toString(m)));
    const QRectF plot = rect.adjusted(labelWidth + px(2), metrics.height() / 2, -px(8), -(metrics.height() + px(2)));
    const auto xOf = [&](QDate d) {
        return plot.left() + plot.width() * double(first.daysTo(d)) / double(first.daysTo(last));
    };
    const auto yOf = [&](qint64 m) {
        return plot.bottom() - plot.height() * double(m - bottom) / double(top - bottom);
    };

    painter->setPen(QPen(QColor(0xd0, 0xd0, 0xd0), px(0.15)));
    for (qint64 m = bottom; m <= top; m += step) {
        const double y = yOf(m);
        painter->drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter->setPen(Grey);
        painter->drawText(QRectF(rect.left(), y - metrics.height() / 2, labelWidth, metrics.height()),
                          Qt::AlignRight | Qt::AlignVCenter, m_locale.toString(m));
        painter->setPen(QPen(QColor(0xd0, 0xd0, 0xd0), px(0.15)));
    }
    painter->setPen(QPen(Grey, px(0.2)));
    painter->drawLine(plot.bottomLeft(), plot.bottomRight());
    painter->drawLine(plot.bottomLeft(), plot.topLeft());
    constexpr int DateLabels = 5;
    for (int i = 0; i < DateLabels; ++i) {
        const QDate d = first.addDays(first.daysTo(last) * i / (DateLabels - 1));
        const QString text = m_locale.toString(d, QLocale::ShortFormat);
        const double width = metrics.horizontalAdvance(text);
        const double x = std::clamp(xOf(d) - width / 2, rect.left(), rect.right() - width);
        painter->drawLine(QPointF(xOf(d), plot.bottom()), QPointF(xOf(d), plot.bottom() + px(1)));
        painter->drawText(QPointF(x, plot.bottom() + px(1.5) + metrics.ascent()), text);
    }

    QPainterPath line;
    for (const auto& p : m_points) {
        const QPointF at(xOf(p.date), yOf(p.mileage));
        if (line.elementCount() == 0)
            line.moveTo(at);
        else
            line.lineTo(at);
    }
    painter->setPen(QPen(Ink, px(0.4)));
    painter->setBrush(Qt::NoBrush);
    painter->drawPath(line);
    painter->setPen(Qt::NoPen);
    painter->setBrush(Ink);
    for (const auto& p : m_points)
        painter->drawEllipse(QPointF(xOf(p.date), yOf(p.mileage)), px(0.7), px(0.7));
    painter->restore();
}

} // namespace HistoryReport
