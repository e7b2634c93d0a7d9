#pragma once
#include <vector>

// Geometry of the A4 three-column report, in millimetres. Rows flow down the
// first column, then the second and the third, then onto the next page.
struct ReportGeometry
{
    double pageWidth = 210.0;
    double pageHeight = 297.0;
    double margin = 10.0;          // all four sides
    double header = 13.2;          // page header; taller when the note wraps
    double columnHeader = 10.6;
    double detail = 5.3;
    double footer = 10.6;
    double columnWidth = 63.3;
    int columns = 3;

    // Room for detail rows between the column header and the page footer.
    double detailTop() const { return margin + header + columnHeader; }
    double footerTop() const { return pageHeight - margin - footer; }
};

// The rows [first, first + count) of one column.
struct ColumnRows
{
    int first = 0;
    int count = 0;
    bool operator==(const ColumnRows&) const = default;
};

struct ReportPage
{
    int number = 1;                      // 1-based
    std::vector<ColumnRows> columns;     // only columns holding rows, left to right
};

struct ReportLayout
{
    int rowsPerColumn = 0;
    std::vector<ReportPage> pages;       // never empty: no rows still print one page
};

// Rows that fit in one column of the geometry (45 for the default).
int reportRowsPerColumn(const ReportGeometry& g);

ReportLayout layoutReport(int rowCount, const ReportGeometry& g = {});
