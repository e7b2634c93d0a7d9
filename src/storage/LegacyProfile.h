#pragma once
#include "model/ProfileRow.h"
#include <QString>
#include <vector>

// Old Paradox profile files: Paradox tables with the seven
// profile fields, text in code page 936. Read-only: the file is never modified.

// True when the file starts like a Paradox table (told by its header bytes).
bool isLegacyProfileFile(const QString& path);

// Reads every row in stored order. False, with a reason, for a damaged file or
// one whose fields are not those of the profile table.
bool readLegacyProfile(const QString& path, std::vector<ProfileRow>* rows, QString* error);
