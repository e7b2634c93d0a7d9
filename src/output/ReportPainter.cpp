#include "output/ReportPainter.h"
#include "text/Gbk.h"
#include "text/Format.h"
#include <QBuffer>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QCoreApplication>

namespace {

// The client's fonts, with the ones this machine has where they are missing;
// the CJK face comes last so Chinese always finds its glyphs.
QFont reportFont(const QStringList& families, double points, bool bold = false)
{
    QStringList all = families;
    all << QStringLiteral("Noto Sans CJK SC");
    QFont f;
    f.setFamilies(all);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QFont arial(double pt, bool bold = false)
{
    return reportFont({"Arial", "Liberation Sans", "DejaVu Sans"}, pt, bold);
}
QFont simSun(double pt)
{
    return reportFont({"SimSun", QStringLiteral("宋体"), "Noto Serif CJK SC"}, pt);
}
QFont timesNewRoman(double pt)
{
    return reportFont({"Times New Roman", "Liberation Serif", "DejaVu Serif"}, pt);
}

// Not a QString: the report may be painted before this file's statics exist.
constexpr QLatin1String kTitle("Sound Velocity Data  Report");
constexpr double kNoteRight = 182.6;
constexpr double kNoteTop = 6.0;
constexpr double kScreenPx = 25.4 / 96.0;   // one screen pixel of the design, in mm

// A label that sizes itself to its text and keeps its left edge, right edge or
// centre at x (mm from the painter's origin, k pixels per mm).
void drawLabel(QPainter& p, double k, const QFont& f, double x, double top, Qt::Alignment align,
               const QString& s)
{
    p.setFont(f);
    const QFontMetricsF fm(f, p.device());
    const double w = fm.horizontalAdvance(s) / k + 1.0;
    const double left = align & Qt::AlignRight ? x - w : align & Qt::AlignHCenter ? x - w / 2 : x;
    p.drawText(QRectF(left * k, top * k, w * k, fm.height()), align | Qt::AlignTop, s);
}

QString cell(const std::optional<double>& v, const QString& format)
{
    return v ? fmt::formatFloat(format, *v) : QString();
}

}  // namespace

QString reportVelocityTitle(const std::vector<ProfileRow>& rows)
{
    if (!rows.empty() && rows.front().status == kKindAverage)
        return QStringLiteral("平均声速");
    return QStringLiteral("声速");
}

ReportPainter::ReportPainter(const std::vector<ProfileRow>& rows, QString note,
                             QString velocityTitle, QString outputFormat)
    : m_rows(rows), m_note(std::move(note)), m_velocityTitle(std::move(velocityTitle)),
      m_format(std::move(outputFormat))
{
}

QRectF ReportPainter::noteRect(QPaintDevice* device) const
{
    const double k = device->logicalDpiY() / 25.4;
    const QFontMetricsF title(arial(16, true), device);
    const QFontMetricsF note(arial(11), device);
    const double titleRight = 53.7 + title.horizontalAdvance(kTitle) / k / 2;
    const double oneLine = note.horizontalAdvance(m_note) / k + 1.0;
    if (oneLine <= kNoteRight - titleRight - 2.0)
        return QRectF(kNoteRight - oneLine, kNoteTop, oneLine, note.height() / k);
    // Too long to sit beside the title: it wraps below it across the width
    // up to its right edge, and the header band stretches to hold it.
    const double top = 3.0 + title.height() / k;
    const QRectF box = note.boundingRect(QRectF(0, 0, kNoteRight * k, 1e6),
                                         Qt::AlignRight | Qt::TextWordWrap, m_note);
    return QRectF(0, top, kNoteRight, box.height() / k);
}

ReportGeometry ReportPainter::geometry(QPaintDevice* device) const
{
    ReportGeometry g;
    g.header = std::max(g.header, noteRect(device).bottom() + 1.0);
    return g;
}

bool ReportPainter::paint(QPagedPaintDevice* device, QString* error)
{
    device->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    QPainter p;
    if (!p.begin(device)) {
        if (error)
            *error = QCoreApplication::translate("ReportPainter", "无法开始打印");
        return false;
    }
    m_pxPerMm = device->logicalDpiX() / 25.4;
    const ReportGeometry g = geometry(device);
    const ReportLayout layout = layoutReport(int(m_rows.size()), g);
    for (const ReportPage& page : layout.pages) {
        if (page.number > 1)
            device->newPage();
        paintPage(p, g, page);
    }
    p.end();
    return true;
}

void ReportPainter::paintPage(QPainter& p, const ReportGeometry& g, const ReportPage& page) const
{
    const double k = m_pxPerMm;
    // The painter's origin is the top-left corner inside the margins.
    auto text = [&](const QFont& f, double x, double top, Qt::Alignment align, const QString& s) {
        drawLabel(p, k, f, x, top, align, s);
    };

    text(arial(16, true), 53.7, 3.0, Qt::AlignHCenter, kTitle);
    p.setFont(arial(11));
    const QRectF note = noteRect(p.device());
    p.drawText(QRectF(note.left() * k, note.top() * k, note.width() * k, note.height() * k + 1),
               Qt::AlignRight | Qt::AlignTop | Qt::TextWordWrap, m_note);

    for (size_t c = 0; c < page.columns.size(); ++c)
        paintColumn(p, g, int(c), page.columns[c]);

    const double footer = g.footerTop() - g.margin;
    p.setPen(QPen(Qt::black, 2 * kScreenPx * k));
    p.drawLine(QPointF(1.5 * k, (footer + 1.1) * k), QPointF((1.5 + 184.8) * k, (footer + 1.1) * k));
    p.setPen(QPen(Qt::black));
    text(arial(10), 12.1, footer + 3.0, Qt::AlignLeft,
         QStringLiteral("Print Date：") + m_printDate.toString(QStringLiteral("yyyy-MM-dd")));
    text(arial(10), 100.2, footer + 3.4, Qt::AlignHCenter,
         QStringLiteral("Page.") + QString::number(page.number));
}

void ReportPainter::paintColumn(QPainter& p, const ReportGeometry& g, int column,
                                const ColumnRows& rows) const
{
    const double k = m_pxPerMm;
    const double left = column * g.columnWidth;
    const double top = g.header;   // below the page header, inside the margin
    auto text = [&](const QFont& f, double x, double y, Qt::Alignment align, const QString& s) {
        drawLabel(p, k, f, left + x, y, align, s);
    };

    text(simSun(12), 14.4, top + 3.8, Qt::AlignLeft, QStringLiteral("Dep."));
    text(simSun(12), 35.0, top + 3.8, Qt::AlignHCenter, m_velocityTitle);
    text(arial(12), 46.9, top + 3.8, Qt::AlignLeft, QStringLiteral("Temp."));
    p.setPen(QPen(Qt::black, kScreenPx * k));
    const double rule = top + g.columnHeader;
    p.drawLine(QPointF(left * k, rule * k), QPointF((left + g.columnWidth) * k, rule * k));

    const QFont detail = timesNewRoman(11);
    for (int i = 0; i < rows.count; ++i) {
        const ProfileRow& r = m_rows[size_t(rows.first + i)];
        const double y = rule + i * g.detail + 0.8;
        text(detail, 23.4, y, Qt::AlignRight, cell(r.depth, m_format));
        text(detail, 40.8, y, Qt::AlignRight, cell(r.velocity, m_format));
        text(detail, 55.9, y, Qt::AlignRight, cell(r.temp, m_format));
    }
}

QByteArray reportText(const std::vector<ProfileRow>& rows, const QString& note, const QString& velocityTitle,
                      const QString& outputFormat, const QDate& printDate)
{
    const ReportLayout layout = layoutReport(int(rows.size()));
    // Each column three right-aligned fields of 8 characters, columns two spaces apart.
    auto field = [](const QString& s) { return s.rightJustified(8); };
    // A Chinese title takes two character cells.
    const QString velocityHead = velocityTitle.rightJustified(8 - int(velocityTitle.size()));
    QString out;
    for (const ReportPage& page : layout.pages) {
        if (page.number > 1)
            out += u'\f';
        out += QString(kTitle) + QStringLiteral("    ") + note + u'\n';
        out += u'\n';
        QStringList heads;
        for (std::size_t c = 0; c < page.columns.size(); ++c)
            heads << field(QStringLiteral("Dep.")) + velocityHead + field(QStringLiteral("Temp."));
        out += heads.join(QStringLiteral("  ")) + u'\n';
        for (int line = 0; line < layout.rowsPerColumn; ++line) {
            QStringList cells;
            for (const ColumnRows& col : page.columns) {
                if (line >= col.count)
                    break;
                const ProfileRow& r = rows[size_t(col.first + line)];
                cells << field(cell(r.depth, outputFormat)) + field(cell(r.velocity, outputFormat))
                             + field(cell(r.temp, outputFormat));
            }
            if (cells.isEmpty())
                break;
            out += cells.join(QStringLiteral("  ")) + u'\n';
        }
        out += u'\n';
        out += QStringLiteral("Print Date：") + printDate.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("    Page.")
               + QString::number(page.number) + u'\n';
    }
    return toGbk(out);
}

bool renderReportPdf(QByteArray* pdfBytes, const std::vector<ProfileRow>& rows,
                     const QString& note, const QString& velocityTitle,
                     const QString& outputFormat, QString* error)
{
    pdfBytes->clear();
    QBuffer buffer(pdfBytes);
    buffer.open(QIODevice::WriteOnly);
    bool ok = true;
    {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(600);
        pdf.setTitle(kTitle);
        ReportPainter painter(rows, note, velocityTitle, outputFormat);
        ok = painter.paint(&pdf, error);
    }   // the writer finishes the document when it goes
    return ok;
}

QRectF chartPrintRect(const QRectF& pageRect)
{
    const double dx = pageRect.width() * 0.08;
    const double dy = pageRect.height() * 0.08;
    return pageRect.adjusted(dx, dy, -dx, -dy);
}

void paintChartImage(QPainter& painter, const QRectF& pageRect, const QImage& image)
{
    painter.drawImage(chartPrintRect(pageRect), image);
}
