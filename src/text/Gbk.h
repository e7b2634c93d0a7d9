#pragma once
#include <QByteArray>
#include <QString>

// Code page 936, the 8-bit text of the settings file, the exports and every
// older profile file. Conversions never fail hard: a character
// that GBK cannot hold is written as '?', and a byte sequence that is not GBK
// is read as U+FFFD and the rest of the text is still decoded.

// Unicode to code page 936.
QByteArray toGbk(const QString& text);
// Code page 936 to Unicode; *ok (when given) is false when some bytes were not GBK.
QString fromGbk(const QByteArray& bytes, bool* ok = nullptr);
