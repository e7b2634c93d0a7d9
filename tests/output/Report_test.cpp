#include "output/ReportLayout.h"
#include "output/ReportPainter.h"
#include "storage/AtomicFile.h"
#include "text/Gbk.h"
#include "TestDir.h"
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QProcess>
#include <cstdlib>

namespace {

std::vector<ProfileRow> profile(int n, std::optional<int> firstStatus = {})
{
    std::vector<ProfileRow> rows(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        rows[size_t(i)].depth = 0.5 * (i + 1);
        rows[size_t(i)].velocity = 1480.0 + 0.01 * i;
        rows[size_t(i)].temp = 15.0 - 0.01 * i;
    }
    if (n > 0) {
        rows.front().status = firstStatus;
        rows.front().discrip = QStringLiteral("长江口S3站");
    }
    return rows;
}

// Text needs a QGuiApplication, which the shared test main does not create: the
// PDF test runs this executable again, and the copy renders here before main.
int renderIfAsked()
{
    const QString out = qEnvironmentVariable("SV_REPORT_PDF");
    if (out.isEmpty())
        return 0;
    static int argc = 1;
    static char name[] = "test_output";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const auto rows = profile(qEnvironmentVariableIntValue("SV_REPORT_ROWS"), 64);
    QString error;
    QByteArray pdf;
    const bool ok = renderReportPdf(&pdf, rows, QStringLiteral("长江口S3站(09-3-7 14:05)"),
                                    reportVelocityTitle(rows), "0.00", &error)
                    && writeFileAtomically(out, pdf, &error);
    std::_Exit(ok ? 0 : 1);
}
const int kRendered = renderIfAsked();

int renderInChild(const QString& path, int rows)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SV_REPORT_PDF", path);
    env.insert("SV_REPORT_ROWS", QString::number(rows));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_list_tests"});
    if (!child.waitForFinished(60000))
        return -1;
    return child.exitCode();
}

// The text of one page, through poppler's pdftotext.
QString pageText(const QString& pdf, int page)
{
    QProcess tool;
    const QString n = QString::number(page);
    tool.start("pdftotext", {"-f", n, "-l", n, "-layout", pdf, "-"});
    tool.waitForFinished(60000);
    return QString::fromUtf8(tool.readAllStandardOutput());
}

}  // namespace

TEST(ReportLayout, RowsFlowDownThreeColumnsThenOntoTheNextPage)
{
    using Cols = std::vector<ColumnRows>;
    struct Case { int rows; std::vector<Cols> pages; };
    const Case cases[] = {
        {0, {Cols{}}},
        {3, {Cols{{0, 3}}}},
        {45, {Cols{{0, 45}}}},
        {46, {Cols{{0, 45}, {45, 1}}}},
        {100, {Cols{{0, 45}, {45, 45}, {90, 10}}}},
        {135, {Cols{{0, 45}, {45, 45}, {90, 45}}}},
        {300, {Cols{{0, 45}, {45, 45}, {90, 45}}, Cols{{135, 45}, {180, 45}, {225, 45}},
               Cols{{270, 30}}}},
    };
    for (const Case& c : cases) {
        const ReportLayout layout = layoutReport(c.rows);
        EXPECT_EQ(layout.rowsPerColumn, 45);
        ASSERT_EQ(layout.pages.size(), c.pages.size()) << c.rows;
        for (size_t p = 0; p < c.pages.size(); ++p) {
            EXPECT_EQ(layout.pages[p].number, int(p) + 1);
            EXPECT_EQ(layout.pages[p].columns, c.pages[p]) << c.rows << " rows, page " << p + 1;
        }
    }
}

TEST(ReportLayout, ATallerHeaderLeavesRoomForFewerRows)
{
    ReportGeometry g;
    g.header = 20.0;   // 297 - 20 - 20 - 10.6 - 10.6 = 235.8 mm: 44 rows of 5.3 mm
    EXPECT_EQ(reportRowsPerColumn(g), 44);
    EXPECT_EQ(layoutReport(133, g).pages.size(), 2u);
}

TEST(Report, VelocityTitleByFirstRowStatus)
{
    struct Case { std::optional<int> status; const char* title; };
    const Case cases[] = {{64, "平均声速"}, {128, "声速"}, {0, "声速"}, {320, "声速"},
                          {std::nullopt, "声速"}};
    for (const Case& c : cases)
        EXPECT_EQ(reportVelocityTitle(profile(2, c.status)), QString::fromUtf8(c.title));
    EXPECT_EQ(reportVelocityTitle({}), QStringLiteral("声速"));
}

TEST(Report, TextExportLaysOutThePagesAsPrinted)
{
    std::vector<ProfileRow> rows = profile(2);
    rows[1].temp.reset();   // an empty field stays blank
    const QByteArray text = reportText(rows, QStringLiteral("S3(09-3-7 14:05)"), QStringLiteral("声速"),
                                       QStringLiteral("0.0"), QDate(2026, 12, 10));
    const QByteArray expected = "Sound Velocity Data  Report    S3(09-3-7 14:05)\n"
                                "\n"
                                "    Dep.    " + toGbk(QStringLiteral("声速")) + "   Temp.\n"
                                "     0.5  1480.0    15.0\n"
                                "     1.0  1480.0        \n"
                                "\n"
                                "Print Date" + toGbk(QStringLiteral("：")) + "2026-12-10    Page.1\n";
    EXPECT_EQ(text, expected);
    // 136 rows: one full page of 135, then a second page after a form feed.
    const QByteArray two = reportText(profile(136), QString(), QStringLiteral("声速"), QStringLiteral("0.0"));
    EXPECT_EQ(two.count('\f'), 1);
    EXPECT_TRUE(two.contains("Page.2\n"));
    EXPECT_TRUE(two.split('\f').front().contains("    67.5"));   // the last row of page 1
}

TEST(Report, ChartPrintAreaIsThePageLessEightPercent)
{
    EXPECT_EQ(chartPrintRect(QRectF(0, 0, 2970, 2100)), QRectF(237.6, 168, 2494.8, 1764));
    EXPECT_EQ(chartPrintRect(QRectF(100, 50, 1000, 500)), QRectF(180, 90, 840, 420));
}

TEST(Report, PdfOfASmallAndALargeReport)
{
    TestDir dir;
    struct Case { int rows; const char* pageCount; };
    for (const Case& c : {Case{3, "/Count 1"}, Case{300, "/Count 3"}}) {
        const QString path = dir.file(QString("report%1.pdf").arg(c.rows));
        ASSERT_EQ(renderInChild(path, c.rows), 0) << c.rows;
        const QByteArray pdf = TestDir::readAll(path);
        EXPECT_TRUE(pdf.startsWith("%PDF-")) << c.rows;
        EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF")) << c.rows;
        EXPECT_TRUE(pdf.contains(c.pageCount)) << c.rows;
    }
    // Depth of row i is 0.5 (i + 1): the 300-row report ends with rows 271 to 300.
    struct Page { int rows; int page; QStringList texts; };
    const Page pages[] = {
        // 长 and 口 come back from the embedded CJK font as their Kangxi-radical twins.
        {3, 1, {"Sound Velocity Data Report", "S3站(09-3-7 14:05)", "Dep.", "平均声速",
                "Temp.", "0.50", "1.50", "14.98", "Print Date：" + QDate::currentDate().toString("yyyy-MM-dd"),
                "Page.1"}},
        {300, 1, {"0.50", "22.50", "23.00", "67.50", "Page.1"}},
        {300, 3, {"135.50", "150.00", "Page.3"}},
    };
    for (const Page& p : pages) {
        const QString text = pageText(dir.file(QString("report%1.pdf").arg(p.rows)), p.page);
        for (const QString& t : p.texts)
            EXPECT_TRUE(text.contains(t)) << p.rows << " rows, page " << p.page << ": " << t.toStdString();
    }
    EXPECT_FALSE(pageText(dir.file("report300.pdf"), 3).contains("150.50"));
    EXPECT_NE(renderInChild(dir.file("no/such/dir/report.pdf"), 3), 0);
}
