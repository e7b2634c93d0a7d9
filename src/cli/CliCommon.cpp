#include "cli/CliCommon.h"
#include "storage/LegacyProfile.h"
#include "storage/ProfileStore.h"
#include "text/Format.h"
#include "settings/IniFile.h"
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <cstdio>

namespace cli {

namespace {

const QString kDataFileError = QStringLiteral("数据文件错误或空数据文件！");

bool sameFile(const QString& a, const QString& b)
{
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists())
        return fa.canonicalFilePath() == fb.canonicalFilePath();
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

}  // namespace

void fail(const QString& message)
{
    throw Failure{message};
}

void out(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void err(const QString& line)
{
    QString flat = line;
    flat.replace(QLatin1Char('\n'), QLatin1Char(' '));
    flat.replace(QLatin1Char('\r'), QLatin1Char(' '));
    const QByteArray bytes = (flat.trimmed() + '\n').toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void addIniOption(QCommandLineParser& parser)
{
    parser.addOption({"ini", "Settings file (default: svclient.INI beside svptool).", "FILE"});
}

bool parseArgs(QCommandLineParser& parser, const Command& cmd, const QStringList& args,
               int positionals)
{
    parser.setApplicationDescription(cmd.description);
    const QCommandLineOption help(QStringList{"h", "help"}, "Show this help.");
    parser.addOption(help);
    QStringList argv = args;
    argv.prepend("svptool");
    if (!parser.parse(argv))
        fail(parser.errorText());
    if (parser.isSet(help)) {
        // The first line names the executable as started; name the subcommand instead.
        QString text = parser.helpText();
        text = "Usage: svptool " + cmd.name + " " + cmd.synopsis + " [options]"
            + text.mid(text.indexOf(QLatin1Char('\n')));
        out(text);
        return false;
    }
    if (parser.positionalArguments().size() != positionals)
        fail(QStringLiteral("usage: svptool %1 %2").arg(cmd.name, cmd.synopsis));
    return true;
}

QString requiredValue(const QCommandLineParser& parser, const QString& option)
{
    const QString v = parser.value(option);
    if (v.isEmpty())
        fail("missing --" + option);
    return v;
}

Settings loadSettings(const QCommandLineParser& parser)
{
    QString path = parser.value("ini");
    if (path.isEmpty())
        path = QDir(QCoreApplication::applicationDirPath()).filePath("svclient.INI");
    else if (!QFileInfo(path).isFile())
        fail(path + ": settings file not found");
    IniFile ini(path);
    ini.load();
    return Settings::load(ini);
}

void loadProfile(ProfileDocument& doc, const QString& path)
{
    if (!QFileInfo(path).isFile())
        fail(path + ": " + kDataFileError + " (no such file)");
    Result<StoredProfile> read = readProfile(path);
    if (!read)
        fail(path + ": " + kDataFileError + (isLegacyProfileFile(path) ? " (" + read.message() + ")" : QString()));
    if (const Status loaded = doc.load(std::move(read.value())); !loaded)
        fail(path + ": " + loaded.message());
}

void checkOutput(const QString& output, const QString& input, bool profileOutput)
{
    if (!input.isEmpty() && sameFile(output, input))
        fail(output + ": the output would replace the input file");
    if (!QFileInfo::exists(output))
        return;
    if (QFileInfo(output).isDir())
        fail(output + ": is a directory");
    if (isLegacyProfileFile(output))
        fail(output + ": an old profile file is never overwritten");
    if (profileOutput) {
        QString reason;
        if (!mayOverwrite(output, &reason))
            fail(reason);
    } else if (isProfileFile(output)) {
        fail(output + ": a profile file is never overwritten by an export");
    }
}

void saveProfile(const QString& path, const std::vector<ProfileRow>& rows)
{
    if (const Status written = writeProfile(path, rows); !written)
        fail(QStringLiteral("建立数据文件时错误！") + " " + written.message());
}

void check(const SaveOutcome& outcome)
{
    if (!outcome.ok())
        fail(outcome.status.message());
}

double numberOption(const QString& text, const QString& option)
{
    double v = 0;
    if (!fmt::parseFloat(text, &v) || !std::isfinite(v))
        fail("--" + option + ": not a number: " + text);
    return v;
}

}  // namespace cli
