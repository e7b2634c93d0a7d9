#pragma once
#include <QStringList>

// Subcommands on profile files. Each takes the arguments after its name and
// returns the exit code; bad input throws cli::Failure.
namespace cli {

int runInfo(const QStringList& args);
int runExport(const QStringList& args);
int runMerge(const QStringList& args);
int runAverage(const QStringList& args);
int runImportCsv(const QStringList& args);
int runConvert(const QStringList& args);

}  // namespace cli
