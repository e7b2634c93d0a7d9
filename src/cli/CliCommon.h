#pragma once
#include "document/ProfileDocument.h"
#include "model/ProfileRow.h"
#include "settings/Settings.h"
#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <vector>

// Shared pieces of the svptool subcommands.
namespace cli {

// Exit codes: 0 done, 2 bad input or data (one line on standard error).
constexpr int kOk = 0;
constexpr int kBadInput = 2;

// Thrown by a subcommand to end it with exit code 2; the text is shown on one line.
struct Failure
{
    QString message;
};
[[noreturn]] void fail(const QString& message);

// Standard output and error as UTF-8 text; error lines are flattened to one line.
void out(const QString& text);
void err(const QString& line);

// A parser with --help and --ini. Returns false when the command is done
// (help printed); throws Failure for unknown options or missing arguments.
struct Command
{
    QString name;         // "export"
    QString synopsis;     // "FILE.db --format F -o OUT"
    QString description;  // one sentence
};
void addIniOption(QCommandLineParser& parser);
bool parseArgs(QCommandLineParser& parser, const Command& cmd, const QStringList& args,
               int positionals);
QString requiredValue(const QCommandLineParser& parser, const QString& option);

// The window's settings file: `--ini FILE` (which must exist), else
// svclient.INI beside this executable (defaults when absent).
Settings loadSettings(const QCommandLineParser& parser);

// A profile file of either format, read whole into `doc` (stored order,
// unfiltered, read-only); refuses a missing, foreign or empty file with the
// window's message.
void loadProfile(ProfileDocument& doc, const QString& path);

// Refuses an output path that would destroy data: the input file itself, an
// old profile file, a raw recording (`profileOutput`), or, for text exports,
// any existing profile file.
void checkOutput(const QString& output, const QString& input, bool profileOutput);

// Writes a profile file of the current format through a temporary file.
void saveProfile(const QString& path, const std::vector<ProfileRow>& rows);
// A document's save or conversion; its refusal ends the command.
void check(const SaveOutcome& outcome);

// A decimal number of the command line; throws Failure naming the option.
double numberOption(const QString& text, const QString& option);

}  // namespace cli
