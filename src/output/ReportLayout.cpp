#include "output/ReportLayout.h"
#include <algorithm>
#include <cmath>

int reportRowsPerColumn(const ReportGeometry& g)
{
    // A small tolerance keeps 45 × 5.3 mm from losing a row to rounding.
    const double room = g.footerTop() - g.detailTop();
    return std::max(1, int(std::floor(room / g.detail + 1e-9)));
}

ReportLayout layoutReport(int rowCount, const ReportGeometry& g)
{
    ReportLayout layout;
    layout.rowsPerColumn = reportRowsPerColumn(g);
    const int perColumn = layout.rowsPerColumn;
    const int columns = std::max(1, g.columns);
    const int perPage = perColumn * columns;
    const int rows = std::max(0, rowCount);
    const int pageCount = std::max(1, (rows + perPage - 1) / perPage);
    layout.pages.reserve(size_t(pageCount));
    for (int p = 0; p < pageCount; ++p) {
        ReportPage page;
        page.number = p + 1;
        for (int c = 0; c < columns; ++c) {
            const int first = p * perPage + c * perColumn;
            if (first >= rows)
                break;
            page.columns.push_back({first, std::min(perColumn, rows - first)});
        }
        layout.pages.push_back(std::move(page));
    }
    return layout;
}
