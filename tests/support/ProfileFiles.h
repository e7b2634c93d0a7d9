#pragma once
#include "storage/ProfileTable.h"
#include <QString>
#include <vector>

// Every row of a profile file as the table engine reads it, in stored order.
inline std::vector<ProfileRow> readProfileRows(const QString& path)
{
    ProfileTable t;
    t.setTableName(path);
    t.open();
    std::vector<ProfileRow> rows = t.visibleRows();
    t.close();
    return rows;
}
