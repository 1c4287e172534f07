#include "report/PageFlow.h"

#include <QFontMetricsF>
#include <QTextOption>

#include <algorithm>

namespace HistoryReport {

void PageFlow::paragraph(const QString& text, const QColor& colour, double before, double after)
{
    auto row = textRow(text, font(9), colour);
    placeHeading(before + row->height);
    m_y += before;
    place(row);
    m_y += after;
}

void PageFlow::table(const QString& nameCaption, const QStringList& captions,
                     const QList<VehicleHistory::Entry>& entries)
{
    const qsizetype notes = captions.indexOf(QStringLiteral("Notes")) + 1; // 0: none
    const std::vector<double> left = columns(QStringList{nameCaption} + captions, entries, notes);
    const auto tooLong = [&](const QString& note) {
        const QFontMetricsF metrics(font(8), m_device);
        const double width = left.at(notes + 1) - left.at(notes) - 2 * px(1);
        return note.contains(QLatin1Char('\n')) ? note.count(QLatin1Char('\n')) >= 3
                                                : metrics.horizontalAdvance(note) > 3 * width;
    };

    auto header = std::make_shared<Row>();
    header->bordered = true;
    header->shaded = true;
    const QStringList heads = QStringList{nameCaption} + captions;
    const QFont headFont = font(7.5, true);
    for (int c = 0; c < heads.size(); ++c)
        addCell(header.get(), heads.at(c), headFont, Qt::black, left.at(c), left.at(c + 1));

    const QFont nameFont = font(8, true);
    const QFont valueFont = font(8);
    std::vector<std::shared_ptr<Row>> rows;
    rows.reserve(entries.size());
    for (const VehicleHistory::Entry& entry : entries) {
        auto row = std::make_shared<Row>();
        row->bordered = true;
        addCell(row.get(), entry.name, nameFont, Qt::black, left.at(0), left.at(1));
        const QString note = notes > 0 && !entry.problem ? lines(entry.values.value(notes - 1)) : QString();
        const bool under = !note.isEmpty() && tooLong(note);
        if (entry.problem) {
            addCell(row.get(), entry.problem->text(), valueFont, Warning, left.at(1), left.back());
        } else {
            for (int c = 1; c + 1 < int(left.size()); ++c)
                addCell(row.get(), c == notes && under ? QString() : entry.values.value(c - 1), valueFont, Qt::black,
                        left.at(c), left.at(c + 1));
        }
        rows.push_back(std::move(row));
        if (under) {
            auto line = std::make_shared<Row>();
            line->bordered = true;
            addCell(line.get(), QStringLiteral("Notes: ") + note, valueFont, Qt::black, 0, m_width);
            rows.push_back(std::move(line));
        }
    }
    const double first = rows.empty() ? 0 : std::min(rows.front()->height, m_body / 3);
    placeHeading(header->height + first);
    if (m_y + header->height + first > m_body)
        newPage();
    place(header);
    // From here on, every new page starts with it.
    m_header = header;
    for (const auto& row : rows)
        place(row);
    m_header.reset();
}

void PageFlow::draw(QPainter* painter, int page)
{
    for (; m_drawn < m_pieces.size() && m_pieces.at(m_drawn).page == page; ++m_drawn)
        drawPiece(painter, m_pieces.at(m_drawn));
}

std::vector<double> PageFlow::columns(const QStringList& heads, const QList<VehicleHistory::Entry>& entries,
                                      qsizetype notes) const
{
    const qsizetype count = heads.size();
    std::vector<double> least(count, 0);
    std::vector<double> want(count, 0);
    const auto measure = [&](qsizetype c, const QString& text, const QFont& f, double cap) {
        const QFontMetricsF metrics(f, m_device);
        for (const QString& line : lines(text).split(QLatin1Char('\n'))) {
            want[c] = std::max(want[c], std::min(metrics.horizontalAdvance(line), cap));
            for (const QString& word : line.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                least[c] = std::max(least[c], std::min(metrics.horizontalAdvance(word), cap));
        }
    };
    for (qsizetype c = 0; c < count; ++c)
        measure(c, heads.at(c), font(7.5, true), m_width / 4);
    for (const VehicleHistory::Entry& entry : entries) {
        measure(0, entry.name, font(8, true), m_width / 4);
        for (qsizetype c = 1; c < count && !entry.problem; ++c)
            measure(c, entry.values.value(c - 1), font(8), c == notes ? m_width / 5 : m_width / 4);
    }
    const double pad = 2 * px(1) + px(0.5);
    double leastSum = 0;
    double wantSum = 0;
    for (qsizetype c = 0; c < count; ++c) {
        least[c] += pad;
        want[c] = std::max(want[c] + pad, least[c]);
        leastSum += least[c];
        wantSum += want[c];
    }
    std::vector<double> left{0};
    for (qsizetype c = 0; c < count; ++c) {
        double width;
        if (leastSum >= m_width)
            width = m_width * least[c] / leastSum;
        else if (wantSum <= m_width)
            width = want[c] + (m_width - wantSum) * want[c] / wantSum;
        else
            width = least[c] + (m_width - leastSum) * (want[c] - least[c]) / (wantSum - leastSum);
        left.push_back(left.back() + width);
    }
    return left;
}

std::shared_ptr<PageFlow::Row> PageFlow::textRow(const QString& text, const QFont& f, const QColor& colour)
{
    auto row = std::make_shared<Row>();
    addCell(row.get(), text, f, colour, 0, m_width);
    return row;
}

void PageFlow::addCell(Row* row, const QString& text, const QFont& f, const QColor& colour, double left, double right)
{
    Cell cell;
    cell.left = left;
    cell.width = right - left;
    cell.colour = colour;
    const double pad = row->padding();
    if (!text.isEmpty()) {
        // Line breaks as the text layout knows them.
        QString shown = lines(text);
        shown.replace(QLatin1Char('\n'), QChar::LineSeparator);
        cell.text = std::make_unique<QTextLayout>(shown, f, m_device);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        cell.text->setTextOption(option);
        cell.text->setCacheEnabled(true);
        double y = 0;
        cell.text->beginLayout();
        for (QTextLine line = cell.text->createLine(); line.isValid(); line = cell.text->createLine()) {
            line.setLineWidth(std::max(cell.width - 2 * pad, 1.0));
            line.setPosition(QPointF(0, y));
            y += line.height();
        }
        cell.text->endLayout();
        row->content = std::max(row->content, y);
    }
    row->height = row->content + 2 * pad;
    row->cells.push_back(std::move(cell));
}

void PageFlow::placeHeading(double next)
{
    if (!m_heading)
        return;
    if (m_y + px(5) + m_heading->height + px(1.5) + next > m_body)
        newPage();
    m_y += px(5);
    place(m_heading);
    m_y += px(1.5);
    m_heading.reset();
}

void PageFlow::newPage()
{
    ++m_page;
    m_y = 0;
    if (m_header)
        place(m_header);
}

double PageFlow::cutAt(const Row& row, double from, double limit)
{
    double cut = limit;
    for (bool moved = true; moved;) {
        moved = false;
        for (const Cell& cell : row.cells) {
            if (!cell.text)
                continue;
            for (int i = 0; i < cell.text->lineCount(); ++i) {
                const QTextLine line = cell.text->lineAt(i);
                if (line.y() > from && line.y() < cut && line.y() + line.height() > cut) {
                    cut = line.y();
                    moved = true;
                }
            }
        }
    }
    return cut > from ? cut : limit;
}

void PageFlow::place(const std::shared_ptr<Row>& row)
{
    const double pad = row->padding();
    const double header = m_header && row != m_header ? m_header->height : 0;
    double from = 0;
    for (;;) {
        const double rest = row->content - from;
        const double room = m_body - m_y - 2 * pad;
        if (rest <= room) {
            m_pieces.push_back({m_page, m_y, row, from, row->content});
            m_y += rest + 2 * pad;
            return;
        }
        const bool fitsOnNewPage = rest <= m_body - header - 2 * pad;
        const bool atTop = m_y <= header + 0.5;
        if ((fitsOnNewPage || room < px(5)) && !atTop) {
            newPage();
            continue;
        }
        const double cut = cutAt(*row, from, from + std::max(room, px(5)));
        m_pieces.push_back({m_page, m_y, row, from, cut});
        from = cut;
        newPage();
    }
}

void PageFlow::drawPiece(QPainter* painter, const Piece& piece)
{
    const Row& row = *piece.row;
    const double pad = row.padding();
    const double height = piece.to - piece.from + 2 * pad;
    for (const Cell& cell : row.cells) {
        const QRectF box(cell.left, piece.top, cell.width, height);
        if (row.shaded)
            painter->fillRect(box, QColor(0xe8, 0xec, 0xf2));
        if (row.bordered) {
            painter->setPen(QPen(QColor(0xb0, 0xb0, 0xb0), px(0.26)));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(box);
        }
        if (!cell.text)
            continue;
        painter->setPen(cell.colour);
        const QPointF origin(cell.left + pad, piece.top + pad - piece.from);
        for (int i = 0; i < cell.text->lineCount(); ++i) {
            const QTextLine line = cell.text->lineAt(i);
            if (line.y() >= piece.from && line.y() < piece.to)
                line.draw(painter, origin);
        }
    }
}

} // namespace HistoryReport
