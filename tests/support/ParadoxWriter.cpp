#include "ParadoxWriter.h"
#include "text/Gbk.h"
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstring>

extern "C" {
#include <paradox.h>
}

namespace {

void collectError(pxdoc_t*, int level, const char* msg, void* data)
{
    auto* first = static_cast<QString*>(data);
    if (level != PX_Warning && first->isEmpty())
        *first = QString::fromLocal8Bit(msg);
}

// Milliseconds from 0001-01-01 as day 1, the wall-clock time as stored.
double paradoxTimestamp(const QDateTime& dt)
{
    const qint64 day = dt.date().toJulianDay() - 1721425;
    return double(day) * 86400000.0 + dt.time().msecsSinceStartOfDay();
}

void putField(pxdoc_t* doc, char* p, const ParadoxField& f, int position, const ProfileRow& row)
{
    const auto field = static_cast<ProfileField>(position);
    switch (f.type) {
    case ParadoxType::Timestamp:
        if (field == ProfileField::DT && row.dt)
            PX_put_data_double(doc, p, 8, paradoxTimestamp(*row.dt));
        break;
    case ParadoxType::Number: {
        const std::optional<double>* v = field == ProfileField::Depth      ? &row.depth
                                         : field == ProfileField::Velocity ? &row.velocity
                                         : field == ProfileField::Temp     ? &row.temp
                                                                           : nullptr;
        if (v && *v)
            PX_put_data_double(doc, p, 8, **v);
        break;
    }
    case ParadoxType::Short:
        if (field == ProfileField::Status && row.status)
            PX_put_data_short(doc, p, 2, short(*row.status));
        break;
    case ParadoxType::Alpha:
        if (field == ProfileField::Discrip && row.discrip) {
            QByteArray text = toGbk(*row.discrip);
            PX_put_data_alpha(doc, p, f.length, text.data());
        }
        break;
    case ParadoxType::Logical:
        if (field == ProfileField::FiltOk && row.filtOk)
            PX_put_data_byte(doc, p, 1, *row.filtOk ? 1 : 0);
        break;
    }
}

}  // namespace

std::vector<ParadoxField> paradoxProfileLayout()
{
    return {{"fnDT", ParadoxType::Timestamp, 8},  {"fnDepth", ParadoxType::Number, 8},
            {"fnVelocity", ParadoxType::Number, 8}, {"fnTemp", ParadoxType::Number, 8},
            {"fnStatus", ParadoxType::Short, 2},     {"fnDiscrip", ParadoxType::Alpha, 255},
            {"fnFiltOk", ParadoxType::Logical, 1}};
}

bool writeParadoxTable(const QString& path, const std::vector<ProfileRow>& rows, QString* error,
                       const std::vector<ParadoxField>& layout)
{
    // pxlib rewrites the header after every record; into a real file that costs
    // milliseconds a row, so the table is built in memory and written at the end.
    int recordSize = 0;
    for (const ParadoxField& f : layout)
        recordSize += f.length;
    const int blockSize = (recordSize < 30 ? 2 : recordSize < 120 ? 3 : 16) * 1024;
    const size_t perBlock = size_t((blockSize - 6) / recordSize);
    std::vector<char> memory(0x10000 + (rows.size() / perBlock + 2) * size_t(blockSize));
    FILE* stream = fmemopen(memory.data(), memory.size(), "w+");

    QString failure;
    pxdoc_t* doc = PX_new3(collectError, nullptr, nullptr, nullptr, &failure);
    auto* fields = static_cast<pxfield_t*>(doc->malloc(doc, layout.size() * sizeof(pxfield_t), "fields"));
    for (size_t i = 0; i < layout.size(); ++i) {
        fields[i].px_fname = PX_strdup(doc, layout[i].name.constData());
        fields[i].px_ftype = char(layout[i].type);
        fields[i].px_flen = layout[i].length;
        fields[i].px_fdc = 0;
    }
    bool ok = PX_create_fp(doc, fields, int(layout.size()), stream, pxfFileTypNonIndexDB) == 0;
    if (ok) {
        doc->px_head->px_doscodepage = 936;
        ok = PX_set_tablename(doc, QFileInfo(path).fileName().toLatin1().constData()) == 0;
    }
    std::vector<char> record(static_cast<size_t>(recordSize));
    for (size_t r = 0; ok && r < rows.size(); ++r) {
        std::memset(record.data(), 0, record.size());
        char* p = record.data();
        for (size_t i = 0; i < layout.size(); ++i) {
            putField(doc, p, layout[i], int(i), rows[r]);
            p += layout[i].length;
        }
        ok = PX_put_record(doc, record.data()) > 0;
    }
    PX_close(doc);
    PX_delete(doc);
    std::fclose(stream);
    if (!ok || !failure.isEmpty()) {
        *error = failure.isEmpty() ? QString("pxlib failed") : failure;
        return false;
    }
    const auto le16 = [&](int at) { return int(uchar(memory[at])) | int(uchar(memory[at + 1])) << 8; };
    const qint64 size = le16(2) + qint64(le16(12)) * uchar(memory[5]) * 1024;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(memory.data(), size) != size) {
        *error = file.errorString();
        return false;
    }
    return true;
}
