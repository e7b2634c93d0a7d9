#pragma once
#include <QString>

// Hidden temporary files that a killed save or recording start leaves beside
// its target: "." + name + ".XXXXXX" (six letters or digits) and SQLite's
// companions of such a file.

// Whether a file name has that pattern (a companion's name does not).
bool isTempFileName(const QString& fileName);

// Removes the stale ones of ours in `dir`: a file of that pattern that is
// empty or carries our profile file header and is held by no connection, with
// its companions, and a companion whose file is gone. Nothing else is touched.
// Returns how many files were removed.
int removeStaleTempFiles(const QString& dir);
