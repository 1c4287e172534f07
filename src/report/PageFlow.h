#pragma once

#include "report/ReportStyle.h"
#include "report/VehicleHistory.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <QTextLayout>

#include <memory>
#include <vector>

namespace HistoryReport {

// The logs are drawn straight onto the pages rather than laid out as document
// tables: the document's table layout costs several times more per page and
// grows with the document, and a log may run to hundreds of pages.
class PageFlow {
public:
    PageFlow(QPaintDevice* device, double width, double bodyHeight, int page, double y)
        : m_device(device), m_width(width), m_body(bodyHeight), m_page(page), m_y(y)
    {
    }

    int pages() const { return m_page + 1; }

    // Placed with what follows it, never alone at the foot of a page.
    void heading(const QString& text) { m_heading = textRow(text, font(12, true), Ink); }

    void paragraph(const QString& text, const QColor& colour, double before = 0, double after = 0);

    void problem(const VehicleHistory::Problem& problem) { paragraph(problem.text(), Warning, px(1), px(1)); }

    // A log as a table: the name, then the record's values under their captions;
    // the caption row heads every page the table runs over. Notes too long for
    // their column go on a line of the page's width under their row.
    void table(const QString& nameCaption, const QStringList& captions, const QList<VehicleHistory::Entry>& entries);

    // What falls on `page`, in the order it was placed.
    void draw(QPainter* painter, int page);

private:
    struct Cell {
        double left = 0;
        double width = 0;
        QColor colour;
        std::unique_ptr<QTextLayout> text; // none when empty
    };
    struct Row {
        std::vector<Cell> cells;
        bool bordered = false;
        bool shaded = false;
        double content = 0; // height of the tallest text
        double height = 0;  // with padding
        double padding() const { return bordered ? px(1) : 0; }
    };
    // The lines [from, to) of a row's texts, at `top` of `page`.
    struct Piece {
        int page;
        double top;
        std::shared_ptr<const Row> row;
        double from;
        double to;
    };

    // Each column at least as wide as its widest word, so captions wrap only
    // between words and a date (one word) never does; what is left goes to the
    // columns whose texts want more, in proportion. Long notes do not count:
    // they go under their row. Only a page too narrow for every word wraps inside words.
    std::vector<double> columns(const QStringList& heads, const QList<VehicleHistory::Entry>& entries,
                                qsizetype notes) const;

    std::shared_ptr<Row> textRow(const QString& text, const QFont& f, const QColor& colour);

    void addCell(Row* row, const QString& text, const QFont& f, const QColor& colour, double left, double right);

    // The heading waiting to be placed, with room for `next` under it.
    void placeHeading(double next);

    void newPage();

    // Where no line of the row's texts is cut: at `limit`, or above it.
    static double cutAt(const Row& row, double from, double limit);

    // Placed whole where it fits, on a new page where it fits whole, else
    // line by line over as many pages as it takes.
    void place(const std::shared_ptr<Row>& row);

    static void drawPiece(QPainter* painter, const Piece& piece);

    QPaintDevice* m_device;
    double m_width;
    double m_body;
    int m_page;
    double m_y;
    std::shared_ptr<Row> m_heading; // waiting for what follows it
    std::shared_ptr<Row> m_header;  // of the table being placed
    std::vector<Piece> m_pieces;
    std::size_t m_drawn = 0;
};

} // namespace HistoryReport
