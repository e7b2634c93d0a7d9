#pragma once
#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// An INI file read and written with the profile-string rules:
// section and key names compare case-insensitively (the first of duplicates
// counts), spaces around keys and values are trimmed, a value in matching
// quotes loses them, a value is read as at most 2047 bytes, and rewriting a key
// keeps every other line of the file (comments, unknown keys and sections)
// where it was. Keys are literal text ("Port No."). Text is code page 936;
// bytes that are not GBK are read best-effort. Every line keeps the end it was
// read with, so a file with mixed line ends is rewritten byte for byte apart
// from the keys written; new lines end as the file's first line does (LF for a
// new file).
class IniFile
{
public:
    explicit IniFile(QString path);

    // Loads the file; a missing or unreadable file is an empty one.
    void load();
    // Writes the whole file atomically (temporary file, then rename). Returns
    // false with "Unable to write to <path>: <reason>" in `error` when the
    // platform refuses; the old file is then left as it was.
    bool save(QString* error = nullptr) const;

    std::optional<QString> readString(const QString& section, const QString& key) const;
    QString readString(const QString& section, const QString& key, const QString& def) const;
    int readInteger(const QString& section, const QString& key, int def) const;   // not an integer: def
    double readFloat(const QString& section, const QString& key, double def) const; // not a number: def

    // A missing key goes after the last line of its section, a missing section
    // to the end of the file. Line breaks in `value` become spaces.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeFloat(const QString& section, const QString& key, double value);   // 15 significant digits

    QString path() const { return m_path; }
    QByteArray bytes() const;   // the file as it would be written

private:
    enum class Kind { Other, Section, Key };
    struct Line
    {
        QByteArray raw;   // without the line end
        QByteArray eol;   // as read; empty for a new line or a last line without one
        Kind kind = Kind::Other;
        QString name;     // section or key name, trimmed
        qsizetype equals = -1;   // position of '=' in a key line
    };
    static Line parseLine(QByteArray raw);
    int findSection(const QString& section) const;
    int sectionEnd(int sectionLine) const;   // index of the next section line
    int findKey(int sectionLine, const QString& key) const;
    QString m_path;
    QByteArray m_eol = "\n";
    std::vector<Line> m_lines;
};
