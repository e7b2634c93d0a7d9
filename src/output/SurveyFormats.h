#pragma once
#include "model/ProfileRow.h"
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

// Sound-velocity files for survey software beside the client's own layouts,
// built in memory as the exact bytes of the file: ASCII (a CARIS file name in
// code page 936), one line feed per line. `rows` are the rows the table shows,
// in table order; a row without a finite depth and velocity is left out. Times
// are written in UTC: survey software matches profiles against its UTC clock.
//
//   CARIS .svp   "[SVP_VERSION_2]", the file name, "Section YYYY-DDD HH:MM:SS
//                DD:MM:SS DDD:MM:SS" (day of year, position to the second),
//                then "depth velocity" in "0.00". Position required.
//   Kongsberg    "( SoundVelocity 1.0 0 YYYYMMDDHHMM lat lon -1 0 0 VX4400 P n )"
//   .asvp        (decimal degrees "0.0000000", radius -1 and no validity
//                period, source the probe, history P, n lines), then "depth
//                velocity" in "0.00". Without a position lat and lon are 0.
//   HYPACK .vel  "FTP NEW 3 lat lon HH:MM MM/DD/YYYY" (decimal degrees
//                "0.000000"), then depth "000.0", velocity "0000.0" as in the
//                "FTP NEW" layout, which stays apart. Position required.

// Decimal degrees, north and east positive.
struct GeoPosition
{
    double latitude = 0;
    double longitude = 0;
    bool operator==(const GeoPosition&) const = default;
};

// "LAT,LON" in decimal degrees ("43.57,-65.7225") or degrees:minutes[:seconds]
// with the sign on the degrees ("43:34:12,-065:43:21"); spaces around the
// parts are allowed. Nothing for any other text or a position off the globe.
std::optional<GeoPosition> parsePosition(const QString& text);

enum class SurveyFormat { CarisSvp, KongsbergAsvp, HypackVelPosition };

// "caris", "asvp", "vel3".
std::optional<SurveyFormat> surveyFormatFromName(const QString& name);
// The export dialog's entries, after the client's own layouts:
// "|CARIS格式(*.svp)|*.SVP|Kongsberg格式(*.asvp)|*.ASVP|HYPACK含位置格式(*.vel)|*.VEL".
QString surveyFormatFilter();
// ".svp", ".asvp", ".vel".
QString surveyFormatExtension(SurveyFormat format);
// CARIS's section line and HYPACK's "FTP NEW 3" line have no form without one.
bool surveyFormatNeedsPosition(SurveyFormat format);

struct SurveyHeader
{
    QString fileName;                    // CARIS names its file on line 2 (directory dropped)
    std::optional<QDateTime> date;       // the profile's date: the first row's fnDT
    std::optional<GeoPosition> position;
};

// The whole file in `bytes`; false with the reason, and nothing built, when the
// profile has no date or the format needs a position that is missing.
bool exportSurveyFormat(SurveyFormat format, const std::vector<ProfileRow>& rows,
                        const SurveyHeader& header, QByteArray* bytes, QString* error);
