#include "settings/SettingsLocation.h"
#include "TestDir.h"
#include <gtest/gtest.h>
#include <QFile>
#include <QScopeGuard>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const UserDirectories kUser{"/home/u/.config/svclient", "/home/u/.local/share/svclient"};

// Mode 0555 until the guard goes (so that the directory can be removed).
auto readOnly(const QString& dir)
{
    const QFileDevice::Permissions before = QFile::permissions(dir);
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                                   | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);
    return qScopeGuard([dir, before] { QFile::setPermissions(dir, before); });
}

// Runs `check` in a child process; as root the child first becomes "nobody",
// for whom a mode 0555 directory is really read-only. True when it held.
bool holdsForAnUnprivilegedUser(const std::function<bool()>& check)
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(SettingsLocation, BesideAWritableExecutable)
{
    TestDir dir;
    const SettingsLocation at = locateSettings(dir.file("svclient"), kUser);
    EXPECT_TRUE(at.portable);
    EXPECT_EQ(at.iniFile, dir.file("svclient.INI"));
    EXPECT_EQ(at.dataDir, dir.path() + "/SVPData/");
}

TEST(SettingsLocation, ASettingsFileBesideTheExecutableWins)
{
    TestDir dir;
    TestDir::writeAll(dir.file("svclient.INI"), "[Record]\nMode=1\n");
    const auto restore = readOnly(dir.path());
    const SettingsLocation at = locateSettings(dir.file("svclient"), kUser);
    EXPECT_TRUE(at.portable);
    EXPECT_EQ(at.iniFile, dir.file("svclient.INI"));
    EXPECT_EQ(at.dataDir, dir.path() + "/SVPData/");
    // The same for a user who may not write the directory.
    const QString ini = dir.file("svclient.INI");
    const QString exe = dir.file("svclient");
    EXPECT_TRUE(holdsForAnUnprivilegedUser([&] { return locateSettings(exe, kUser).iniFile == ini; }));
}

TEST(SettingsLocation, AReadOnlyDirectoryUsesTheUsersDirectories)
{
    TestDir dir;
    const auto restore = readOnly(dir.path());
    const QString exe = dir.file("svclient");
    EXPECT_TRUE(holdsForAnUnprivilegedUser([&] {
        const SettingsLocation at = locateSettings(exe, kUser);
        return !at.portable && at.iniFile == "/home/u/.config/svclient/svclient.INI"
               && at.dataDir == "/home/u/.local/share/svclient/SVPData/";
    }));
}

TEST(SettingsLocation, AnInstalledProgramUsesTheUsersDirectoriesEvenForRoot)
{
    for (const char* exe : {"/usr/bin/svclient", "/usr/local/bin/svptool", "/usr/lib/x/svclient"}) {
        const SettingsLocation at = locateSettings(exe, kUser);
        EXPECT_FALSE(at.portable) << exe;
        EXPECT_EQ(at.iniFile, "/home/u/.config/svclient/svclient.INI") << exe;
        EXPECT_EQ(at.dataDir, "/home/u/.local/share/svclient/SVPData/") << exe;
    }
}

TEST(SettingsLocation, StandardUserDirectoriesFollowTheXdgVariables)
{
    TestDir home;
    qputenv("XDG_CONFIG_HOME", home.file("cfg").toUtf8());
    qputenv("XDG_DATA_HOME", home.file("share").toUtf8());
    const UserDirectories user = UserDirectories::standard();
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(user.config, home.file("cfg/svclient"));
    EXPECT_EQ(user.data, home.file("share/svclient"));
}

}  // namespace
