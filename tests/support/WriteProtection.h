#pragma once
#include <QString>
#include <QStringList>
#include <vector>

// Takes write permission away while it lives, as for a file of another user or
// a folder on read-only media: the paths lose their write bits, and a test run
// as root (whom no mode bit stops) runs as "nobody" meanwhile, with the test
// directory open for reading. Folders in `writable` stay writable for it.
class WriteProtection
{
public:
    WriteProtection(const QString& testDir, const QStringList& paths, const QStringList& writable = {});
    ~WriteProtection();
    WriteProtection(const WriteProtection&) = delete;
    WriteProtection& operator=(const WriteProtection&) = delete;

private:
    std::vector<std::pair<QString, unsigned>> m_modes;   // to restore
    bool m_switchedUser = false;
};
