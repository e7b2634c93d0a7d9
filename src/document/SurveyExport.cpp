// The profile survey formats carry, from the document's merged profile.
#include "document/SurveyExport.h"
#include "analysis/MergedProfile.h"
#include "document/ProfileDocument.h"
#include "text/Format.h"
#include <QCoreApplication>

Result<SurveySource> ProfileDocument::surveySource() const
{
    if (m_kind == kKindAverage)
        return Status::failure(QCoreApplication::translate("SurveyExport", "平均声速剖面不能导出为这种格式！"));
    // The chart's merged profile while the rows it was made from are unchanged.
    if (!m_stale && hasMergedProfile() && m_mergedTemp)
        return SurveySource{m_mergedSv, m_mergedTemp, m_kind != kKindMerged};
    TableSeries table = tableSeries();
    if (m_kind == kKindMerged)
        return SurveySource{table.sv, table.temp, false};
    CastParts parts = castParts();
    if (Status ready = mergeReady(table.sv->size(), parts.svDown.size(), parts.svUp.size()); !ready)
        return ready;
    parts.usedRows = table.sv->size();
    Series sv, temp;
    ::buildMergedProfile(parts, &sv, &temp);
    return SurveySource{std::make_shared<const Series>(std::move(sv)), std::make_shared<const Series>(std::move(temp)),
                        true};
}

Result<SurveyExportPlan> planSurveyExport(const ProfileDocument& doc, SurveyFormat format, std::size_t maxPoints)
{
    Result<SurveySource> source = doc.surveySource();
    if (!source)
        return source.status();
    SurveyLimits limits = surveyFormatLimits(format);
    if (maxPoints > 0)
        limits.maxPoints = std::min(limits.maxPoints, std::max<std::size_t>(maxPoints, 2));
    SurveyExportPlan plan;
    plan.format = format;
    plan.fromRawCast = source->fromRawCast;
    plan.profile = surveyProfile(*source->sv, *source->temp, limits);
    if (plan.profile.points.size() < 2)
        return Status::failure(QCoreApplication::translate("SurveyExport", "处理后的声速剖面不足两个点，不能导出这种格式！"));
    return plan;
}

QString surveyProfileText(const SurveyExportPlan& plan)
{
    const SurveyProfile& p = plan.profile;
    QString text = plan.fromRawCast ? QCoreApplication::translate("SurveyExport", "导出由原始数据合并、平滑得到的声速剖面，")
                                    : QCoreApplication::translate("SurveyExport", "导出保存的声速剖面，");
    text += QCoreApplication::translate("SurveyExport", "共 %1 点").arg(p.points.size());
    text += QCoreApplication::translate("SurveyExport", "（深度单调、去重后 %1 点，按 %2 m/s 容差抽稀").arg(p.monotonicCount)
                .arg(fmt::formatFloat("0.00", kSurveyTolerance));
    if (p.maxDeviation > kSurveyTolerance)
        text += QCoreApplication::translate("SurveyExport", "，受格式点数限制，最大偏差 %1 m/s").arg(fmt::formatFloat("0.00", p.maxDeviation));
    return text + QCoreApplication::translate("SurveyExport", "）");
}
