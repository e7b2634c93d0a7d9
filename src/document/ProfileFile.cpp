#include "document/ProfileFile.h"
#include "storage/ProfileTable.h"

int openProfileFile(ProfileTable& table, const QString& path)
{
    try {
        table.close();
        table.setFiltered(false);
        table.setTableName(path);
        // An empty file is refused before the file may be written to.
        table.open(OpenRows::Required);
        table.first();
    } catch (const TableError& e) {
        table.close();
        return e.isEmptyFile() ? -2 : -1;
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
