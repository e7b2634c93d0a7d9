#pragma once
#include "model/ProfileRow.h"
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

// The export layouts, built in memory as the exact bytes of the file: code page
// 936, one line feed per line, no byte-order mark. `rows` are the rows the table
// shows, in table order (every row, or the marked rows while filtered); the
// header line comes from the first of them.
//
// A row lacking a value that its layout writes, or holding one that is not a
// finite number, is left out: an inserted row that was never completed must not
// become a line survey software misreads.

// Description + "(" + date as "yy-m-d hh:mm" + ")". An empty date gives "()"
// rather than the 1899 date a zero date-time would print as.
QString profileTitle(const std::optional<QString>& description,
                     const std::optional<QDateTime>& date);

// Comma-separated layout: title line, "Depth,Sound Velocity,Temperature", then
// depth, velocity and temperature in `outputFormat` ("0.0" or "0.00").
QByteArray exportCommaCsv(const std::vector<ProfileRow>& rows, const QString& outputFormat);

// HYPACK layout: "FTP NEW", then depth "000.0", one space, velocity "0000.0".
QByteArray exportHypackVel(const std::vector<ProfileRow>& rows);

// Average-profile layout: title line, "深度,平均声速,温度", then only the rows
// whose velocity differs by at least `interval` from the last velocity written;
// that velocity is kept, and written, in single precision.
QByteArray exportAverageCsv(const std::vector<ProfileRow>& rows, const QString& outputFormat,
                            float interval);

// The chosen name with its extension replaced by `ext` (".CSV", ".VEL"), or
// `ext` appended when the name has none.
QString exportFileName(const QString& chosen, const QString& ext);

// Filter list of the export dialog, "label|pattern|label|pattern", by the kind
// of the open profile (the low 8 bits of the first row's fnStatus).
QString exportFilter(int profileKind);
