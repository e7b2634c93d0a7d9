#include "WriteProtection.h"
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

unsigned modeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? unsigned(st.st_mode & 07777) : 0;
}

void setMode(const QString& path, unsigned mode) { ::chmod(QFile::encodeName(path).constData(), mode_t(mode)); }

}  // namespace

WriteProtection::WriteProtection(const QString& testDir, const QStringList& paths, const QStringList& writable)
{
    auto change = [this](const QString& p, unsigned mode) {
        m_modes.emplace_back(p, modeOf(p));
        setMode(p, mode);
    };
    for (const QString& p : paths)
        change(p, modeOf(p) & ~0222u);
    if (::geteuid() != 0)
        return;
    change(testDir, modeOf(testDir) | 0555u);
    for (const QString& p : writable)
        change(p, 0777u);
    m_switchedUser = ::seteuid(kNobody) == 0;
}

WriteProtection::~WriteProtection()
{
    if (m_switchedUser && ::seteuid(0) != 0)
        return;
    for (auto it = m_modes.rbegin(); it != m_modes.rend(); ++it)
        setMode(it->first, it->second);
}
