#pragma once
#include <QStringList>

// Subcommands on the probe's memory, as the self-contained page runs them.
namespace cli {

int runList(const QStringList& args);
int runUpload(const QStringList& args);

}  // namespace cli
