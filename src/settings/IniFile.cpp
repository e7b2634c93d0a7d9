#include "settings/IniFile.h"
#include "text/Format.h"
#include "text/Gbk.h"
#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {

constexpr qsizetype kMaxValueBytes = 2047;

bool isGbkLead(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x81 && u <= 0xFE;
}

// Index of the single-byte character `c` at or after `from`, stepping over
// double-byte characters (whose trail byte may look like '[' or ']').
qsizetype gbkIndexOf(const QByteArray& s, char c, qsizetype from = 0)
{
    for (qsizetype i = from; i < s.size(); ++i) {
        if (s[i] == c)
            return i;
        if (isGbkLead(s[i]))
            ++i;
    }
    return -1;
}

// At most `max` bytes, never ending inside a double-byte character.
QByteArray gbkLeft(const QByteArray& s, qsizetype max)
{
    qsizetype i = 0;
    while (i < s.size()) {
        const qsizetype len = isGbkLead(s[i]) && i + 1 < s.size() ? 2 : 1;
        if (i + len > max)
            break;
        i += len;
    }
    return s.left(i);
}

// Blanks as the profile-string reader sees them: a stray CR (a file whose
// line ends were mangled in transfer) is not part of a value.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

QByteArray trimmed(const QByteArray& s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

IniFile::Line IniFile::parseLine(QByteArray raw)
{
    Line line;
    line.raw = std::move(raw);
    const QByteArray t = trimmed(line.raw);
    if (t.startsWith('[')) {
        const qsizetype close = gbkIndexOf(t, ']', 1);
        if (close > 0) {
            line.kind = Kind::Section;
            line.name = fromGbk(trimmed(t.mid(1, close - 1)));
        }
    } else if (!t.startsWith(';')) {
        line.equals = gbkIndexOf(line.raw, '=');
        if (line.equals >= 0) {
            line.name = fromGbk(trimmed(line.raw.left(line.equals)));
            if (!line.name.isEmpty())
                line.kind = Kind::Key;
        }
    }
    return line;
}

void IniFile::load()
{
    m_lines.clear();
    m_eol = "\n";
    QFile f(m_path);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QByteArray all = f.readAll();
    qsizetype start = 0;
    bool first = true;
    while (start < all.size()) {
        qsizetype nl = all.indexOf('\n', start);
        const qsizetype end = nl < 0 ? all.size() : nl;
        const bool crlf = nl >= 0 && end > start && all[end - 1] == '\r';
        const QByteArray eol = nl < 0 ? QByteArray() : QByteArray(crlf ? "\r\n" : "\n");
        if (first && nl >= 0) {
            m_eol = eol;
            first = false;
        }
        m_lines.push_back(parseLine(all.mid(start, end - start - (crlf ? 1 : 0))));
        m_lines.back().eol = eol;
        start = end + 1;
    }
}

QByteArray IniFile::bytes() const
{
    QByteArray out;
    for (const Line& line : m_lines)
        out += line.raw + (line.eol.isEmpty() ? m_eol : line.eol);
    return out;
}

bool IniFile::save(QString* error) const
{
    // Unbuffered, so that a short write (a full disk) is seen here: buffered,
    // QSaveFile commits a truncated file as a success.
    QSaveFile f(m_path);
    const QByteArray data = bytes();
    qint64 written = 0;
    if (f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        while (written < data.size()) {
            const qint64 n = f.write(data.constData() + written, data.size() - written);
            if (n <= 0)
                break;
            written += n;
        }
    }
    const bool ok = written == data.size() && f.isOpen() && f.commit();
    if (!ok && error)
        *error = QStringLiteral("Unable to write to %1: %2")
                     .arg(QDir::toNativeSeparators(m_path), f.errorString());
    return ok;   // on failure the temporary file goes with `f`
}

int IniFile::findSection(const QString& section) const
{
    const QString name = section.trimmed();
    for (size_t i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].kind == Kind::Section && sameName(m_lines[i].name, name))
            return int(i);
    return -1;
}

int IniFile::sectionEnd(int sectionLine) const
{
    size_t i = size_t(sectionLine) + 1;
    while (i < m_lines.size() && m_lines[i].kind != Kind::Section)
        ++i;
    return int(i);
}

int IniFile::findKey(int sectionLine, const QString& key) const
{
    const QString name = key.trimmed();
    const int end = sectionEnd(sectionLine);
    for (int i = sectionLine + 1; i < end; ++i)
        if (m_lines[size_t(i)].kind == Kind::Key && sameName(m_lines[size_t(i)].name, name))
            return i;
    return -1;
}

std::optional<QString> IniFile::readString(const QString& section, const QString& key) const
{
    const int s = findSection(section);
    const int k = s < 0 ? -1 : findKey(s, key);
    if (k < 0)
        return std::nullopt;
    const Line& line = m_lines[size_t(k)];
    QByteArray value = trimmed(line.raw.mid(line.equals + 1));
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        value = value.mid(1, value.size() - 2);
    return fromGbk(gbkLeft(value, kMaxValueBytes));
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const
{
    return readString(section, key).value_or(def);
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const
{
    QString text = readString(section, key).value_or(QString());
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text = '$' + text.mid(2);
    int v = def;
    return fmt::parseInt(text, &v) ? v : def;
}

double IniFile::readFloat(const QString& section, const QString& key, double def) const
{
    double v = def;
    return fmt::parseFloat(readString(section, key).value_or(QString()), &v) ? v : def;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    QString flat = value;
    flat.replace('\r', ' ').replace('\n', ' ');
    const QByteArray encoded = toGbk(flat);
    int s = findSection(section);
    if (s < 0) {
        m_lines.push_back(parseLine('[' + toGbk(section.trimmed()) + ']'));
        s = int(m_lines.size()) - 1;
    }
    const int k = findKey(s, key);
    if (k >= 0) {
        Line& line = m_lines[size_t(k)];
        line.raw = line.raw.left(line.equals + 1) + encoded;
        return;
    }
    // After the section's last line that is not blank.
    int at = sectionEnd(s);
    while (at - 1 > s && trimmed(m_lines[size_t(at - 1)].raw).isEmpty())
        --at;
    m_lines.insert(m_lines.begin() + at, parseLine(toGbk(key.trimmed()) + '=' + encoded));
}

void IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeFloat(const QString& section, const QString& key, double value)
{
    writeString(section, key, fmt::floatToStr(value));
}
