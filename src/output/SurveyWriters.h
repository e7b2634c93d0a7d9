#pragma once
#include "output/SurveyFormats.h"

// The writers of the survey formats, one per format; SurveyFormats.cpp checks
// the header and the point count before calling them.
namespace survey {

struct Cast
{
    const std::vector<SurveyPoint>& points;
    const SurveyHeader& header;
    QDateTime utc;   // the cast's time in UTC
};

QByteArray caris(const Cast& c);
QByteArray asvp(const Cast& c);
QByteArray hypack(const Cast& c);
QByteArray sonardyne(const Cast& c);
QByteArray qps(const Cast& c);
QByteArray elac(const Cast& c);
QByteArray gisCsv(const Cast& c);

}  // namespace survey
