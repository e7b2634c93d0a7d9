#include "text/Format.h"
#include <QLocale>
#include <algorithm>

namespace fmt {

QString formatDateTime(const QString& pattern, const QDateTime& dt)
{
    // A null date is day 0 of the date count: 1899-12-30.
    const QDateTime t = dt.isValid() ? dt : QDateTime(QDate(1899, 12, 30), QTime(0, 0));
    const QDate date = t.date();
    const QTime time = t.time();
    QString out;
    auto number = [&out](int v, int width) {
        out += QString::number(v).rightJustified(width, '0');
    };
    QChar lastToken;
    qsizetype i = 0;
    while (i < pattern.size()) {
        const QChar c = pattern[i];
        if (c == '"' || c == '\'') {
            // Quoted literal text.
            const qsizetype end = pattern.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? pattern.size() : end;
            out += pattern.mid(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        const QChar u = c.toUpper();
        qsizetype count = 1;
        while (i + count < pattern.size() && pattern[i + count].toUpper() == u)
            ++count;
        if (u == 'Y') {
            if (count <= 2)
                number(date.year() % 100, 2);
            else
                number(date.year(), 4);
        } else if (u == 'M' && lastToken == 'H' && count <= 2) {
            number(time.minute(), int(count));   // m after h is the minute
        } else if (u == 'M') {
            if (count <= 2)
                number(date.month(), int(count));
            else
                out += QLocale::c().monthName(date.month(), count == 3 ? QLocale::ShortFormat
                                                                        : QLocale::LongFormat);
        } else if (u == 'D') {
            if (count <= 2)
                number(date.day(), int(count));
            else
                out += QLocale::c().dayName(date.dayOfWeek(), count == 3 ? QLocale::ShortFormat
                                                                          : QLocale::LongFormat);
        } else if (u == 'H') {
            number(time.hour(), int(std::min<qsizetype>(count, 2)));
        } else if (u == 'N') {
            number(time.minute(), int(std::min<qsizetype>(count, 2)));
        } else if (u == 'S') {
            number(time.second(), int(std::min<qsizetype>(count, 2)));
        } else if (u == 'Z') {
            number(time.msec(), count >= 3 ? 3 : 1);
        } else if (c == '/') {
            out += QString(count, QChar('-'));   // the client's date separator
        } else {
            out += pattern.mid(i, count);
        }
        if (u.isLetter() && u.unicode() < 128)
            lastToken = u;
        i += count;
    }
    return out;
}

namespace {

bool isBlank(QChar c) { return c == ' '; }

}  // namespace

bool parseInt(const QString& text, int* value)
{
    // [blanks] [sign] ($hex | decimal), nothing after, within 32 bits.
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < n && text[i] == '$') {
        base = 16;
        ++i;
    }
    if (i == n)
        return false;
    long long v = 0;
    for (; i < n; ++i) {
        const int d = base == 16 && text[i].isLetter() && text[i].unicode() < 128
                          ? text[i].toUpper().unicode() - 'A' + 10
                          : text[i].unicode() - '0';
        if (d < 0 || d >= base)
            return false;
        v = v * base + d;
        if (v > 0x100000000LL)
            return false;
    }
    if (negative)
        v = -v;
    // Hex texts may give the full 32-bit pattern ($FFFFFFFF is -1).
    if (base == 16 && v > 0x7FFFFFFFLL && v <= 0xFFFFFFFFLL)
        v -= 0x100000000LL;
    if (v < -0x80000000LL || v > 0x7FFFFFFFLL)
        return false;
    if (value)
        *value = int(v);
    return true;
}

}  // namespace fmt
