#pragma once
#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// An INI file with the semantics of the Windows profile-string functions:
// section and key names compare case-insensitively, a value is read as at most
// 2047 characters, and rewriting a key keeps every other line of the file
// (comments, unknown keys and sections) where it was. Text is code page 936.
class IniFile
{
public:
    explicit IniFile(QString path);

    // Loads the file; a missing or unreadable file is an empty one.
    void load();
    // Writes the whole file atomically (temporary file, then rename). Returns
    // false with the reason in `error` when the platform refuses.
    bool save(QString* error = nullptr) const;

    std::optional<QString> readString(const QString& section, const QString& key) const;
    QString readString(const QString& section, const QString& key, const QString& def) const;
    int readInteger(const QString& section, const QString& key, int def) const;   // not an integer: def
    double readFloat(const QString& section, const QString& key, double def) const; // not a number: def

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeFloat(const QString& section, const QString& key, double value);   // 15 significant digits

    QString path() const { return m_path; }
    QByteArray bytes() const;   // the file as it would be written

private:
    struct Line { QByteArray raw; };
    int findSection(const QString& section) const;
    int findKey(int sectionLine, const QString& key) const;
    QString m_path;
    std::vector<QByteArray> m_lines;
};
