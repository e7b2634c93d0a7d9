#include "settings/SettingsLocation.h"
#include "settings/Settings.h"
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// Below /usr lives what the package manager installed; /usr may even be
// mounted read-only or shared between machines.
bool isSystemProgramDirectory(const QString& dir)
{
    QString path = QFileInfo(dir).canonicalFilePath();
    if (path.isEmpty())
        path = QDir::cleanPath(QDir(dir).absolutePath());
    return path == QLatin1String("/usr") || path.startsWith(QLatin1String("/usr/"));
}

QString withSlash(const QString& dir)
{
    return dir.endsWith('/') ? dir : dir + '/';
}

}  // namespace

UserDirectories UserDirectories::standard()
{
    // The generic locations plus our name rather than AppConfigLocation as such:
    // svptool has an application name of its own and must find the window's file.
    const QString name = QStringLiteral("svclient");
    return {QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + '/' + name,
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + '/' + name};
}

SettingsLocation locateSettings(const QString& executablePath, const UserDirectories& user)
{
    SettingsLocation beside{settingsFilePath(executablePath), dataDirectory(executablePath), true};
    if (QFileInfo(beside.iniFile).isFile())
        return beside;
    const QString dir = QFileInfo(executablePath).absolutePath();
    if (QFileInfo(dir).isWritable() && !isSystemProgramDirectory(dir))
        return beside;
    return {withSlash(user.config) + QStringLiteral("svclient.INI"), withSlash(user.data) + QStringLiteral("SVPData/"),
            false};
}
