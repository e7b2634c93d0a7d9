#pragma once
#include <QString>

// Where the settings file and the data directory (the table engine's
// "SVPData/") are for one executable.
struct SettingsLocation
{
    QString iniFile;         // the settings file; it may not exist yet
    QString dataDir;         // with a trailing '/'; not created
    bool portable = true;    // both beside the executable
};

// The user's own directories, for a program installed where it may not write.
struct UserDirectories
{
    QString config;   // holds svclient.INI
    QString data;     // holds SVPData/
    // ~/.config/svclient and ~/.local/share/svclient (QStandardPaths' config and
    // data locations of the application "svclient", whichever program asks).
    static UserDirectories standard();
};

// A settings file beside the executable wins when it is there: a portable copy
// in a build tree or on a stick keeps its file. Without one, the executable's
// directory is still used when the user may write it and it is not below /usr
// (an installed program: even root must not litter /usr/bin). Otherwise the
// settings file is <config>/svclient.INI and the data directory <data>/SVPData/,
// in the same formats.
SettingsLocation locateSettings(const QString& executablePath,
                                const UserDirectories& user = UserDirectories::standard());
