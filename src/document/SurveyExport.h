#pragma once
#include "analysis/SurveyProfile.h"
#include "model/Status.h"
#include "output/SurveyFormats.h"
#include <QString>
#include <cstddef>

class ProfileDocument;

// A survey-format export of the open profile: the processed points the file
// will carry, made from the merged profile the chart builds.
struct SurveyExportPlan
{
    SurveyFormat format = SurveyFormat::CarisSvp;
    SurveyProfile profile;
    bool fromRawCast = false;   // merged and smoothed from a raw cast; else a stored merged profile
};

// The processed profile of `doc` for `format`. `maxPoints` lowers the
// format's own limit (0 keeps it; Kongsberg's oldest echosounders take 570).
// Fails with the document's reason (average profile, cast too short to
// merge) or "处理后的声速剖面不足两个点，不能导出这种格式！".
Result<SurveyExportPlan> planSurveyExport(const ProfileDocument& doc, SurveyFormat format,
                                          std::size_t maxPoints = 0);

// What the export dialog says about it: which profile, how many points, how thinned.
QString surveyProfileText(const SurveyExportPlan& plan);
