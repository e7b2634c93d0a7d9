#pragma once
#include "model/ProfileRow.h"
#include <QByteArray>
#include <QString>
#include <vector>

// Fixtures in the old Paradox file format, written by pxlib's own writer: no
// file from any other program is used.

// Field type codes of <paradox.h> (kept out of this header: it has no C++ guard).
enum class ParadoxType : char { Alpha = 0x01, Short = 0x03, Number = 0x06, Logical = 0x09, Timestamp = 0x15 };

struct ParadoxField
{
    QByteArray name;
    ParadoxType type;
    int length;
};

// The seven fields of the profile table as the old files hold them.
std::vector<ParadoxField> paradoxProfileLayout();

// Writes `rows` as a non-indexed Paradox table with text in code page 936. A
// field takes the row's value at the same position when its type holds that
// value (fnDT, the three numbers, fnStatus, fnDiscrip, fnFiltOk), else it stays
// empty. False with pxlib's reason on failure.
bool writeParadoxTable(const QString& path, const std::vector<ProfileRow>& rows, QString* error,
                       const std::vector<ParadoxField>& layout = paradoxProfileLayout());
