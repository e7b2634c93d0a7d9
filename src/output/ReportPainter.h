#pragma once
#include "model/ProfileRow.h"
#include "output/ReportLayout.h"
#include <QDate>
#include <QRectF>
#include <QString>
#include <vector>

class QImage;
class QPagedPaintDevice;
class QPainter;
class QPaintDevice;

// "平均声速" when the first row's fnStatus is exactly 64, else "声速".
QString reportVelocityTitle(const std::vector<ProfileRow>& rows);

// Paints the three-column A4 report of `rows` (the rows the table shows, in
// table order) onto a paged device: a QPrinter for printing and preview, a
// QPdfWriter for a file. Needs a QGuiApplication (fonts). `rows` must outlive
// the painter: it is read, not copied.
class ReportPainter
{
public:
    ReportPainter(const std::vector<ProfileRow>& rows, QString note, QString velocityTitle,
                  QString outputFormat);

    void setPrintDate(const QDate& date) { m_printDate = date; }

    // The geometry on this device: the page header grows when the note wraps.
    ReportGeometry geometry(QPaintDevice* device) const;

    // Sets A4 portrait with 10 mm margins and paints every page; false with the
    // reason when the device cannot be painted on.
    bool paint(QPagedPaintDevice* device, QString* error);

private:
    QRectF noteRect(QPaintDevice* device) const;   // mm from the painter's origin
    void paintPage(QPainter& p, const ReportGeometry& g, const ReportPage& page) const;
    void paintColumn(QPainter& p, const ReportGeometry& g, int column,
                     const ColumnRows& rows) const;

    const std::vector<ProfileRow>& m_rows;
    QString m_note;
    QString m_velocityTitle;
    QString m_format;
    QDate m_printDate = QDate::currentDate();
    double m_pxPerMm = 1.0;
};

// The report as plain text, page after page as printed: the title and the
// note, the three columns side by side (depth, velocity, temperature
// right-aligned in the OutputFormat), the print date and the page number; a
// form feed between pages. Code page 936, one line feed per line.
QByteArray reportText(const std::vector<ProfileRow>& rows, const QString& note, const QString& velocityTitle,
                      const QString& outputFormat, const QDate& printDate = QDate::currentDate());

// The report as the bytes of a PDF file; false with the reason.
bool renderReportPdf(QByteArray* pdfBytes, const std::vector<ProfileRow>& rows,
                     const QString& note, const QString& velocityTitle,
                     const QString& outputFormat, QString* error);

// The chart's print area: the page less 8 % of its width and height on each side.
QRectF chartPrintRect(const QRectF& pageRect);

// Draws `image` stretched, not kept in proportion, over chartPrintRect(pageRect).
void paintChartImage(QPainter& painter, const QRectF& pageRect, const QImage& image);
