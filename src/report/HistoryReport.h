#pragma once

#include "report/VehicleHistory.h"

#include <QByteArray>
#include <QDate>
#include <QImage>
#include <QList>
#include <QLocale>
#include <QPageSize>
#include <QString>

// The vehicle report: one PDF with everything about a vehicle, for its next
// owner. Real text in embedded fonts, tables that continue over pages with
// their header, a drawn mileage chart, "Page N of M" under every page. Qt Gui
// only (QPdfWriter, QTextDocument, QTextLayout), so it runs without a display.
namespace HistoryReport {

// A4, or Letter where the locale measures in US units.
QPageSize pageSizeFor(const QLocale& locale);

// The picture of the history, decoded at about the size the report shows it;
// a picture that cannot be loaded becomes the history's picture problem.
QImage loadPicture(VehicleHistory::History* history);

// The PDF of `history` as of `date`, with `picture` (null for none).
// `pages`, when given, receives the number of pages.
QByteArray render(const VehicleHistory::History& history, const QImage& picture, QDate date, const QPageSize& pageSize,
                  int* pages = nullptr);

struct Outcome {
    bool ok = false;
    QString error; // why not, for the user
    int pages = 0;
    QList<VehicleHistory::Problem> problems; // records the report names as not readable

    explicit operator bool() const { return ok; }
};

// Reads the records of `vehicle` and saves its report as `path`, with the
// one safe writer: whole or not at all. Dates are read and shown in the
// system's locale, whose measurement system chooses the paper.
Outcome write(const QString& vehicle, const QString& path);

} // namespace HistoryReport
