#include "document/ProfileFile.h"
#include "storage/ProfileTable.h"

int openProfileFile(ProfileTable& table, const QString& path)
{
    try {
        table.close();
        table.setFiltered(false);
        table.setTableName(path);
        table.open();
        table.first();
    } catch (const std::exception&) {
        table.close();
        return -1;
    }
    if (table.recordCount() == 0) {
        table.close();
        return -2;
    }
    return table.current().status.value_or(0) >= kKindAverage ? 1 : 0;
}

uint8_t profileKind(const ProfileRow& first)
{
    return uint8_t(first.status.value_or(0) & 0xff);
}
