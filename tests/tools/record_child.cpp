// Records rows into a new profile file until killed, reporting after each
// post how many rows are committed; the kill test checks every reported row.
#include "storage/ProfileTable.h"
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: record_child <profile file>\n");
        return 2;
    }
    try {
        ProfileTable table;
        table.setTableName(QString::fromLocal8Bit(argv[1]));
        table.createTable();
        for (int n = 1;; ++n) {
            table.append();
            table.setField(ProfileField::Depth, n * 0.25);
            table.setField(ProfileField::Velocity, 1480.0 + n);
            table.setField(ProfileField::Temp, 10.0);
            table.setField(ProfileField::Status, n % 256);
            table.post();
            std::printf("%d\n", n);
            std::fflush(stdout);
        }
    } catch (const TableError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
