#include "HistoryReport.h"

#include "RecordCaptions.h"
#include "SafeFile.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextObjectInterface>
#include <QTextTable>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace HistoryReport {

namespace {

constexpr int Dpi = 300;
constexpr double PageMarginMm = 15;
constexpr double FooterMm = 9;
constexpr QSizeF PictureMm(110, 75);
constexpr int ChartObject = QTextFormat::UserObject + 1;

const QString ProgramName = QStringLiteral("Venbry's Gearbook " GEARBOOK_VERSION);
const QString PictureName = QStringLiteral("gearbook-report:picture");

// Lengths drawn on the page: device pixels.
double px(double mm)
{
    return mm * Dpi / 25.4;
}

// Lengths in the document's formats (margins, padding, borders, image sizes):
// the layout counts them at 96 per inch and scales them to the device itself.
double docPx(double mm)
{
    return mm * 96 / 25.4;
}

QFont font(double points, bool bold = false)
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

QTextCharFormat textFormat(double points, bool bold = false, QColor colour = Qt::black)
{
    QTextCharFormat format;
    format.setFont(font(points, bold));
    format.setForeground(colour);
    return format;
}

// Stored texts end lines with CR LF (as the original wrote them); the
// document wants one line break per line.
QString lines(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

const QColor Grey(0x55, 0x55, 0x55);
const QColor Warning(0xa0, 0x10, 0x10);
const QColor Ink(0x1a, 0x3c, 0x78);

// A round step of about range / count: 1, 2 or 5 times a power of ten.
qint64 niceStep(double range, int count)
{
    const double rough = std::max(range / count, 1.0);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double fraction = rough / power;
    const double step = fraction <= 1 ? 1 : fraction <= 2 ? 2 : fraction <= 5 ? 5 : 10;
    return std::max<qint64>(1, qint64(step * power));
}

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

    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int, const QTextFormat&) override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const QFont labels = font(7);
        painter->setFont(labels);
        const QFontMetricsF metrics(labels, painter->device());

        const auto [low, high] = std::minmax_element(
            m_points.cbegin(), m_points.cend(), [](const auto& a, const auto& b) { return a.mileage < b.mileage; });
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
        const QRectF plot =
            rect.adjusted(labelWidth + px(2), metrics.height() / 2, -px(8), -(metrics.height() + px(2)));
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

private:
    QList<VehicleHistory::MileagePoint> m_points;
    QSizeF m_size;
    QLocale m_locale;
};

// Builds the document from the top down.
class Builder {
public:
    explicit Builder(QTextDocument* doc) : m_doc(doc), m_cursor(doc) {}

    void paragraph(const QString& text, const QTextCharFormat& format, double spaceBefore = 0, double spaceAfter = 0)
    {
        QTextBlockFormat block;
        block.setTopMargin(spaceBefore);
        block.setBottomMargin(spaceAfter);
        newBlock(block, format);
        m_cursor.insertText(lines(text), format);
    }

    void heading(const QString& text)
    {
        QTextBlockFormat block;
        block.setTopMargin(docPx(5));
        block.setBottomMargin(docPx(1.5));
        block.setPageBreakPolicy(QTextFormat::PageBreak_Auto);
        const QTextCharFormat format = textFormat(12, true, Ink);
        newBlock(block, format);
        m_cursor.insertText(text, format);
    }

    void problem(const VehicleHistory::Problem& problem)
    {
        paragraph(problem.text(), textFormat(9, false, Warning), docPx(1), docPx(1));
    }

    void picture(const QImage& image)
    {
        m_doc->addResource(QTextDocument::ImageResource, QUrl(PictureName), image);
        const QSizeF size =
            QSizeF(image.size())
                .scaled(QSizeF(docPx(PictureMm.width()), docPx(PictureMm.height())), Qt::KeepAspectRatio);
        QTextBlockFormat block;
        block.setTopMargin(docPx(3));
        newBlock(block, QTextCharFormat());
        QTextImageFormat format;
        format.setName(PictureName);
        format.setWidth(size.width());
        format.setHeight(size.height());
        m_cursor.insertImage(format);
    }

    // The vehicle page's values, three to a row, each caption above its
    // value; the notes on a row of their own.
    void infoGrid(const QList<VehicleHistory::InfoValue>& values)
    {
        constexpr int Columns = 3;
        QList<VehicleHistory::InfoValue> cells;
        std::optional<VehicleHistory::InfoValue> notes;
        for (const auto& value : values) {
            if (value.caption == RecordCaptions::vehicle().last())
                notes = value;
            else
                cells.append(value);
        }
        const int rows = int((cells.size() + Columns - 1) / Columns) + (notes ? 1 : 0);
        if (rows == 0)
            return;
        QTextTableFormat format;
        format.setBorderStyle(QTextFrameFormat::BorderStyle_None);
        format.setBorder(0);
        format.setCellSpacing(0);
        format.setCellPadding(docPx(1));
        format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        format.setColumnWidthConstraints(
            QList<QTextLength>(Columns, QTextLength(QTextLength::PercentageLength, 100.0 / Columns)));
        QTextTable* table = insertTable(rows, Columns, format);
        const auto fill = [&](int row, int column, const VehicleHistory::InfoValue& value) {
            QTextCursor cell = table->cellAt(row, column).firstCursorPosition();
            cell.insertText(value.caption, textFormat(7.5, true, Grey));
            cell.insertBlock();
            cell.insertText(lines(value.value), textFormat(10));
        };
        for (int i = 0; i < cells.size(); ++i)
            fill(i / Columns, i % Columns, cells.at(i));
        if (notes) {
            table->mergeCells(rows - 1, 0, 1, Columns);
            fill(rows - 1, 0, *notes);
        }
        leaveTable();
    }

    // The chart's handler is registered with the layout, once the document is built.
    void chart()
    {
        QTextBlockFormat block;
        block.setTopMargin(docPx(2));
        newBlock(block, QTextCharFormat());
        QTextCharFormat object;
        object.setObjectType(ChartObject);
        m_cursor.insertText(QString(QChar::ObjectReplacementCharacter), object);
    }

private:
    // The first block of the document is there already; every later one is made.
    void newBlock(const QTextBlockFormat& block, const QTextCharFormat& format)
    {
        if (m_first) {
            m_cursor.setBlockFormat(block);
            m_cursor.setBlockCharFormat(format);
            m_first = false;
        } else {
            m_cursor.insertBlock(block, format);
        }
    }

    QTextTable* insertTable(int rows, int columns, const QTextTableFormat& format)
    {
        newBlock(QTextBlockFormat(), QTextCharFormat());
        return m_cursor.insertTable(rows, columns, format);
    }

    void leaveTable() { m_cursor.movePosition(QTextCursor::End); }

    QTextDocument* m_doc;
    QTextCursor m_cursor;
    bool m_first = true;
};

// The logs are drawn straight onto the pages rather than laid out as document
// tables: the document's table layout costs several times more per page and
// grows with the document, and a log may run to hundreds of pages.
class Flow {
public:
    Flow(QPaintDevice* device, double width, double bodyHeight, int page, double y)
        : m_device(device), m_width(width), m_body(bodyHeight), m_page(page), m_y(y)
    {
    }

    int pages() const { return m_page + 1; }

    // Placed with what follows it, never alone at the foot of a page.
    void heading(const QString& text) { m_heading = textRow(text, font(12, true), Ink); }

    void paragraph(const QString& text, const QColor& colour, double before = 0, double after = 0)
    {
        auto row = textRow(text, font(9), colour);
        placeHeading(before + row->height);
        m_y += before;
        place(row);
        m_y += after;
    }

    void problem(const VehicleHistory::Problem& problem) { paragraph(problem.text(), Warning, px(1), px(1)); }

    // A log as a table: the name, then the record's values under their captions;
    // the caption row heads every page the table runs over. Notes too long for
    // their column go on a line of the page's width under their row.
    void table(const QString& nameCaption, const QStringList& captions, const QList<VehicleHistory::Entry>& entries)
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
                    addCell(row.get(), c == notes && under ? QString() : entry.values.value(c - 1), valueFont,
                            Qt::black, left.at(c), left.at(c + 1));
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

    // What falls on `page`, in the order it was placed.
    void draw(QPainter* painter, int page)
    {
        for (; m_drawn < m_pieces.size() && m_pieces.at(m_drawn).page == page; ++m_drawn)
            drawPiece(painter, m_pieces.at(m_drawn));
    }

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
                                qsizetype notes) const
    {
        const qsizetype count = heads.size();
        std::vector<double> least(count, 0), want(count, 0);
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
        double leastSum = 0, wantSum = 0;
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

    std::shared_ptr<Row> textRow(const QString& text, const QFont& f, const QColor& colour)
    {
        auto row = std::make_shared<Row>();
        addCell(row.get(), text, f, colour, 0, m_width);
        return row;
    }

    void addCell(Row* row, const QString& text, const QFont& f, const QColor& colour, double left, double right)
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

    // The heading waiting to be placed, with room for `next` under it.
    void placeHeading(double next)
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

    void newPage()
    {
        ++m_page;
        m_y = 0;
        if (m_header)
            place(m_header);
    }

    // Where no line of the row's texts is cut: at `limit`, or above it.
    static double cutAt(const Row& row, double from, double limit)
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

    // Placed whole where it fits, on a new page where it fits whole, else
    // line by line over as many pages as it takes.
    void place(const std::shared_ptr<Row>& row)
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

    static void drawPiece(QPainter* painter, const Piece& piece)
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

void drawFooter(QPainter* painter, const QRectF& area, int page, int pages)
{
    painter->save();
    painter->setPen(QPen(QColor(0xb0, 0xb0, 0xb0), px(0.2)));
    painter->drawLine(area.topLeft(), area.topRight());
    painter->setPen(Grey);
    painter->setFont(font(7.5));
    const QRectF text = area.adjusted(0, px(2), 0, 0);
    painter->drawText(text, Qt::AlignLeft | Qt::AlignTop, ProgramName);
    painter->drawText(text, Qt::AlignRight | Qt::AlignTop, QStringLiteral("Page %1 of %2").arg(page).arg(pages));
    painter->restore();
}

} // namespace

QPageSize pageSizeFor(const QLocale& locale)
{
    return QPageSize(locale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter : QPageSize::A4);
}

QImage loadPicture(VehicleHistory::History* history)
{
    if (history->picturePath.isEmpty())
        return {};
    // Only a regular file is opened: a FIFO in its place would block the report.
    if (const QFileInfo file(history->picturePath); !file.isFile()) {
        history->pictureProblem =
            VehicleHistory::Problem{history->picturePath, file.exists() ? QStringLiteral("it is not a file")
                                                                        : QStringLiteral("it is not there")};
        return {};
    }
    QImageReader reader(history->picturePath);
    reader.setAutoTransform(true);
    // Decoded at about 200 dots per inch of its printed size: enough for paper, small in the file.
    const QSize most = QSizeF(px(PictureMm.width()) * 2 / 3, px(PictureMm.height()) * 2 / 3).toSize();
    if (const QSize size = reader.size();
        size.isValid() && (size.width() > most.width() || size.height() > most.height()))
        reader.setScaledSize(size.scaled(most, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        history->pictureProblem = VehicleHistory::Problem{history->picturePath, reader.errorString()};
    return image;
}

QByteArray render(const VehicleHistory::History& history, const QImage& picture, QDate date, const QPageSize& pageSize,
                  int* pages)
{
    const QLocale locale;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(Dpi);
    writer.setPageSize(pageSize);
    writer.setPageMargins(QMarginsF(PageMarginMm, PageMarginMm, PageMarginMm, PageMarginMm), QPageLayout::Millimeter);
    writer.setTitle(QStringLiteral("%1 history").arg(history.vehicle));
    writer.setCreator(ProgramName);

    const double width = writer.width();
    const double bodyHeight = writer.height() - px(FooterMm);
    // Built before it has a layout: a layout would follow every insertion.
    QTextDocument doc;
    doc.setDefaultFont(font(9));
    doc.setDocumentMargin(0);
    QTextOption wrap;
    wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    doc.setDefaultTextOption(wrap);

    MileageChart chart(history.mileage, QSizeF(width, px(55)), locale);
    {
        Builder b(&doc);
        b.paragraph(history.vehicle, textFormat(20, true, Ink));
        b.paragraph(QStringLiteral("Vehicle history, %1").arg(locale.toString(date, QLocale::LongFormat)),
                    textFormat(10, false, Grey), docPx(1), docPx(2));
        if (!picture.isNull())
            b.picture(picture);
        if (history.pictureProblem)
            b.problem(*history.pictureProblem);

        b.heading(QStringLiteral("Vehicle Info."));
        if (history.vehicleProblem)
            b.problem(*history.vehicleProblem);
        else if (history.info.isEmpty())
            b.paragraph(QStringLiteral("No values have been entered."), textFormat(9, false, Grey));
        b.infoGrid(history.info);

        if (history.mileage.size() >= 2 || !history.unplotted.isEmpty())
            b.heading(QStringLiteral("Mileage"));
        if (history.mileage.size() >= 2)
            b.chart();
        if (!history.unplotted.isEmpty())
            b.paragraph(QStringLiteral("Not in the chart, since their date could not be read: %1.")
                            .arg(history.unplotted.join(QStringLiteral("; "))),
                        textFormat(8, false, Grey), docPx(1));
    }

    doc.documentLayout()->setPaintDevice(&writer);
    doc.documentLayout()->registerHandler(ChartObject, &chart);
    doc.setPageSize(QSizeF(width, bodyHeight));
    const int frontPages = doc.pageCount();
    // The logs follow where the document ends.
    const double end = doc.documentLayout()->blockBoundingRect(doc.lastBlock()).bottom();
    const int endPage = std::clamp(int(end / bodyHeight), 0, frontPages - 1);
    Flow flow(&writer, width, bodyHeight, endPage, end - endPage * bodyHeight);

    flow.heading(QStringLiteral("Maintenance"));
    if (history.maintListProblem)
        flow.problem(*history.maintListProblem);
    if (history.maintenance.isEmpty())
        flow.paragraph(QStringLiteral("No maintenance entries."), Grey);
    else
        flow.table(QStringLiteral("Maintenance"), RecordCaptions::maintenance(), history.maintenance);

    flow.heading(QStringLiteral("Parts"));
    if (history.partsListProblem)
        flow.problem(*history.partsListProblem);
    if (history.parts.isEmpty())
        flow.paragraph(QStringLiteral("No parts."), Grey);
    else
        flow.table(QStringLiteral("Part"), RecordCaptions::parts(), history.parts);

    const int count = std::max(frontPages, flow.pages());
    QPainter painter(&writer);
    for (int page = 0; page < count; ++page) {
        if (page > 0)
            writer.newPage();
        if (page < frontPages) {
            painter.save();
            const QRectF body(0, page * bodyHeight, width, bodyHeight);
            painter.setClipRect(QRectF(0, 0, width, bodyHeight));
            painter.translate(0, -body.top());
            QAbstractTextDocumentLayout::PaintContext context;
            context.clip = body;
            doc.documentLayout()->draw(&painter, context);
            painter.restore();
        }
        flow.draw(&painter, page);
        drawFooter(&painter, QRectF(0, bodyHeight + px(2), width, px(FooterMm - 2)), page + 1, count);
    }
    painter.end();
    if (pages)
        *pages = count;
    return bytes;
}

Outcome write(const QString& vehicle, const QString& path)
{
    Outcome outcome;
    if (const QString why = VehicleHistory::whyNotReportable(vehicle); !why.isEmpty()) {
        outcome.error = why;
        return outcome;
    }
    const QLocale locale;
    const QDate today = QDate::currentDate();
    VehicleHistory::History history = VehicleHistory::read(vehicle, locale, today);
    const QImage picture = loadPicture(&history);
    const QByteArray pdf = render(history, picture, today, pageSizeFor(QLocale::system()), &outcome.pages);
    if (pdf.isEmpty()) {
        outcome.error = QStringLiteral("The report could not be made.");
        return outcome;
    }
    const WriteResult written = writeFileSafely(path, pdf, PrivateFile);
    if (!written) {
        outcome.error =
            QStringLiteral("\"%1\" could not be saved: %2").arg(QDir::toNativeSeparators(path), written.error);
        return outcome;
    }
    outcome.ok = true;
    outcome.problems = history.problems();
    return outcome;
}

} // namespace HistoryReport

#include "HistoryReport.moc"
