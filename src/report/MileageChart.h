#pragma once

#include "report/VehicleHistory.h"

#include <QList>
#include <QLocale>
#include <QObject>
#include <QSizeF>
#include <QTextObjectInterface>

#include <utility>

namespace HistoryReport {

// The mileage chart, drawn into the document as lines and text (it stays sharp
// and its labels stay text).
class MileageChart : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    MileageChart(QList<VehicleHistory::MileagePoint> points, QSizeF size, const QLocale& locale)
        : m_points(std::move(points)), m_size(size), m_locale(locale)
    {
    }

    QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat&) override { return m_size; }

    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int, const QTextFormat&) override;

private:
    QList<VehicleHistory::MileagePoint> m_points;
    QSizeF m_size;
    QLocale m_locale;
};

} // namespace HistoryReport
