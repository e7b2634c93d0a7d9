// Survey formats are made from the merged profile the chart builds: the very
// snapshot while it is current, the same values when the chart has none.
#include "document/ProfileDocument.h"
#include "document/SurveyExport.h"
#include "storage/ProfileStore.h"
#include <gtest/gtest.h>

namespace {

ProfileRow row(double depth, double velocity, double temp)
{
    ProfileRow r;
    r.depth = depth;
    r.velocity = velocity;
    r.temp = temp;
    return r;
}

// Down to 10 m and back, a knee at 5 m; the first row carries kind, date and description.
std::vector<ProfileRow> cast(int kind = 0, int down = 20)
{
    std::vector<ProfileRow> rows;
    for (int i = 1; i <= down; ++i)
        rows.push_back(row(i * 0.5, i < 10 ? 1480.0 + i * 0.01 : 1480.0 - i * 0.3, 15.0 - i * 0.05));
    for (int i = down - 1; i >= 1; --i)
        rows.push_back(row(i * 0.5 + 0.2, i < 10 ? 1480.1 + i * 0.01 : 1480.1 - i * 0.3, 15.1 - i * 0.05));
    rows.front().status = kind;
    rows.front().dt = QDateTime(QDate(2009, 3, 7), QTime(14, 5));
    rows.front().discrip = QStringLiteral("S3");
    return rows;
}

void load(ProfileDocument& doc, std::vector<ProfileRow> rows)
{
    ASSERT_TRUE(doc.load(StoredProfile{std::move(rows), false}).ok());
}

}  // namespace

TEST(SurveySource, IsTheChartsMergedProfile)
{
    ProfileDocument doc;
    load(doc, cast());
    // Not drawn: built by the same code, and the chart's values stay untouched.
    const Result<SurveySource> before = doc.surveySource();
    ASSERT_TRUE(before.ok()) << before.message().toStdString();
    EXPECT_TRUE(before->fromRawCast);
    EXPECT_FALSE(doc.hasMergedProfile());
    EXPECT_TRUE(doc.isStale());

    doc.draw();
    ASSERT_TRUE(doc.buildMergedProfile().ok());
    const Result<SurveySource> drawn = doc.surveySource();
    EXPECT_EQ(drawn->sv, doc.mergedSv());   // the very snapshot the chart shows
    EXPECT_EQ(drawn->temp, doc.mergedTemp());
    EXPECT_EQ(*drawn->sv, *before->sv);
    EXPECT_EQ(*drawn->temp, *before->temp);

    // A stored merged profile: its own rows, as the chart draws them.
    ProfileDocument stored;
    load(stored, cast(kKindMerged));
    const Result<SurveySource> rows = stored.surveySource();
    ASSERT_TRUE(rows.ok());
    EXPECT_FALSE(rows->fromRawCast);
    stored.draw();
    EXPECT_EQ(*rows->sv, *stored.mergedSv());
}

TEST(SurveySource, RefusesWhatGivesNoProfile)
{
    struct Case
    {
        const char* name;
        std::vector<ProfileRow> rows;
        QString message;
    };
    const Case cases[] = {
        {"average profile", cast(kKindAverage), QStringLiteral("平均声速剖面不能导出为这种格式！")},
        {"cast too short to merge", cast(0, 2), QStringLiteral("数据量不够，不能绘制声速曲线！")},
        {"nothing below the surface",
         [] {
             std::vector<ProfileRow> rows = cast();
             for (ProfileRow& r : rows)
                 *r.depth -= 20.0;
             return rows;
         }(),
         QStringLiteral("处理后的声速剖面不足两个点，不能导出这种格式！")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProfileDocument doc;
        load(doc, c.rows);
        const Result<SurveyExportPlan> plan = planSurveyExport(doc, SurveyFormat::SonardynePro);
        EXPECT_FALSE(plan.ok());
        EXPECT_EQ(plan.message(), c.message);
    }
}

TEST(SurveyExportPlan, ThinsToTheFormatAndSaysSo)
{
    ProfileDocument doc;
    load(doc, cast());
    const Result<SurveyExportPlan> plan = planSurveyExport(doc, SurveyFormat::KongsbergAsvp);
    ASSERT_TRUE(plan.ok());
    const std::size_t n = plan->profile.points.size();
    EXPECT_GE(n, 3u);   // the knee is kept
    EXPECT_LT(n, plan->profile.monotonicCount);
    EXPECT_EQ(surveyProfileText(plan.value()),
              QStringLiteral("导出由原始数据合并、平滑得到的声速剖面，共 %1 点（深度单调、去重后 %2 点，按 0.05 m/s 容差抽稀）")
                  .arg(n)
                  .arg(plan->profile.monotonicCount));
    // A lower limit (Kongsberg's oldest echosounders) is kept to, and the gap left is told.
    const Result<SurveyExportPlan> two = planSurveyExport(doc, SurveyFormat::KongsbergAsvp, 2);
    ASSERT_EQ(two->profile.points.size(), 2u);
    EXPECT_TRUE(surveyProfileText(two.value()).contains(QStringLiteral("受格式点数限制，最大偏差")));
}
