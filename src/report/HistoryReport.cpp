#include "report/HistoryReport.h"
#include "report/MileageChart.h"
#include "report/PageFlow.h"
#include "report/ReportStyle.h"

#include "common/RecordCaptions.h"
#include "common/SafeFile.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <algorithm>
#include <optional>

namespace HistoryReport {

namespace {

const QString ProgramName = QStringLiteral("Venbry's Gearbook " GEARBOOK_VERSION);
const QString PictureName = QStringLiteral("gearbook-report:picture");

constexpr int ChartObject = QTextFormat::UserObject + 1;

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
    PageFlow flow(&writer, width, bodyHeight, endPage, end - endPage * bodyHeight);

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
