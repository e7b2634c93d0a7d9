#pragma once
#include "analysis/SurveyProfile.h"
#include "model/Status.h"
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

// Sound-velocity files for survey software beside the client's own layouts,
// built in memory as the exact bytes of the file. They carry a processed
// profile (analysis/SurveyProfile.h): strictly increasing depths, none
// negative. Text formats hold only ASCII, lines ended by CR LF: the readers
// are Windows acquisition suites whose own files end lines so, and the
// line-reading routines of some take a line only up to CR LF. Times are in
// UTC: survey software matches profiles against its own UTC clock.
//
//   CARIS .svp     "[SVP_VERSION_2]", the file name, "Section YYYY-DDD HH:MM:SS
//                  DD:MM:SS.ss DDD:MM:SS.ss comment", then "depth velocity".
//   Kongsberg      "( SoundVelocity 1.0 0 YYYYMMDDHHMM lat lon -1 0 0 source P n )",
//   .asvp          then "depth velocity"; at most 1000 points.
//   HYPACK .vel    "FTP NEW 3 lat lon HH:MM MM/DD/YYYY", then depth "000.0",
//                  velocity "0000.0" as in the "FTP NEW" layout, which stays apart.
//   Sonardyne .pro title, date, time, probe and comment lines, then depth,
//                  velocity, salinity, temperature in columns of 12.
//   QPS .bsvp      binary: time, position and count, then 32-byte records.
//   ELAC .sva      "#" header and comment lines, ".profile 0", then depth,
//                  velocity, temperature, salinity, conductivity in columns.
//   GIS .csv       one row per point with the cast's UTC date and time,
//                  latitude and longitude, for a GIS's delimited-text import.

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

// ---- the probe clock's time zone ------------------------------------------
// An offset from UTC in hours: "8", "+8", "-3.5", "+05:45", from -12 to +14.
// Minutes east of UTC, or nothing for any other text.
std::optional<int> parseUtcOffset(const QString& text);
// "UTC+08:00", "UTC-03:30".
QString utcOffsetText(int minutes);
// "+08:00": the form the settings file keeps.
QString utcOffsetSetting(int minutes);
// This computer's zone at the wall-clock time `when` (daylight saving included).
int computerUtcOffset(const QDateTime& when);
// The cast's time read off the probe's clock (date and time as stored), in UTC:
// the clock ran `offsetMinutes` east of UTC, or in this computer's zone.
QDateTime castTimeUtc(const QDateTime& probeClock, std::optional<int> offsetMinutes);

// Printable ASCII only: accents and full-width forms reduced to their ASCII
// letters, anything else (Chinese included) left out; blanks run together.
QString asciiText(const QString& text);

// ---- the formats -----------------------------------------------------------
enum class SurveyFormat { CarisSvp, KongsbergAsvp, HypackVelPosition, SonardynePro, QpsBsvp, ElacSva, GisCsv };

// In the order the export dialog offers them.
const std::vector<SurveyFormat>& surveyFormats();
// "caris", "asvp", "vel3", "pro", "bsvp", "sva", "gis-csv".
std::optional<SurveyFormat> surveyFormatFromName(const QString& name);
QString surveyFormatName(SurveyFormat format);
// The dialog entry, "CARIS格式(*.svp)|*.SVP".
QString surveyFormatEntry(SurveyFormat format);
// The export dialog's entries after the client's own layouts, each led by "|".
QString surveyFormatFilter();
// ".svp", ".asvp", ".vel", ".pro", ".bsvp", ".sva", ".csv".
QString surveyFormatExtension(SurveyFormat format);
// The formats whose header holds a position: never written without one.
bool surveyFormatNeedsPosition(SurveyFormat format);
// The depth resolution it writes and the most points its readers take.
SurveyLimits surveyFormatLimits(SurveyFormat format);

struct SurveyHeader
{
    QString fileName;                    // CARIS names its file on line 2 (directory dropped)
    std::optional<QDateTime> date;       // the cast's time on the probe's clock: the first row's fnDT
    std::optional<int> utcOffset;        // minutes east of UTC of that clock; none: this computer's zone
    std::optional<GeoPosition> position;
    QString description;                 // the station description
    QString deviceNumber;                // the probe's device number (SN)
};

// The whole file; a failure with the reason, and nothing built, when the
// profile has no date, fewer than two points, or the format needs a position
// that is missing.
Result<QByteArray> exportSurveyFormat(SurveyFormat format, const std::vector<SurveyPoint>& points,
                                      const SurveyHeader& header);
