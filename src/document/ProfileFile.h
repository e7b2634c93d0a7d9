#pragma once
#include "model/ProfileRow.h"
#include <QString>
#include <cstdint>

class ProfileTable;

// OpenProfileFile: closes the table, switches its filter off, names and opens
// the file at its first row. -1 it cannot be opened, -2 it has no rows (both
// leave the table inactive), 1 a processed profile (first row's fnStatus 64 or
// more), 0 a raw cast.
int openProfileFile(ProfileTable& table, const QString& path);

// ProfileKind: the low 8 bits of the first row's fnStatus; 0 when empty.
uint8_t profileKind(const ProfileRow& first);
