#include "storage/LegacyProfile.h"
#include "text/Gbk.h"
#include <QFile>
#include <cmath>
#include <cstdio>
#include <limits>

extern "C" {
#include <paradox.h>   // has no C++ guard of its own
}

// The file is read whole into memory and checked here before pxlib sees it:
// pxlib trusts the header and the block chain and reads past a short file
// without noticing (its reads return 0 bytes, never an error). pxlib then parses
// that checked copy through a read-only memory stream, so the file on disk is
// never opened for writing. Records are located through the checked block
// chain: PX_get_record seeks twice and scans the block list for every record,
// seconds for a long cast.

namespace {

constexpr int kFixedHeaderSize = 0x58;   // common header of every Paradox file
constexpr int kDataHeaderSize = 0x20;    // follows it in tables of version 4.0 on
constexpr int kBlockHeaderSize = 6;      // next block, previous block, last record offset

int u8(const QByteArray& b, int at) { return static_cast<unsigned char>(b[at]); }
int le16(const QByteArray& b, int at) { return u8(b, at) | (u8(b, at + 1) << 8); }
int les16(const QByteArray& b, int at) { return static_cast<qint16>(le16(b, at)); }
quint32 le32(const QByteArray& b, int at)
{
    return static_cast<quint32>(le16(b, at)) | (static_cast<quint32>(le16(b, at + 2)) << 16);
}

struct Header
{
    int recordSize = 0;
    int headerSize = 0;
    int blockSize = 0;
    int versionId = 0;
    int numFields = 0;
    qint64 numRecords = 0;
    int fileBlocks = 0;
    int firstBlock = 0;
};

// The fixed header: record size, header size, file type (0 indexed, 2 not
// indexed), block size in KiB, version and field count must all be plausible.
bool parseFixedHeader(const QByteArray& b, Header* h, QString* why)
{
    if (b.size() < kFixedHeaderSize) {
        *why = "shorter than a Paradox header";
        return false;
    }
    h->recordSize = le16(b, 0);
    h->headerSize = le16(b, 2);
    const int fileType = u8(b, 4);
    const int blockKiB = u8(b, 5);
    h->versionId = u8(b, 57);
    h->numFields = les16(b, 33);
    h->numRecords = static_cast<qint32>(le32(b, 6));
    h->fileBlocks = le16(b, 12);
    h->firstBlock = le16(b, 14);
    h->blockSize = blockKiB * 1024;
    const bool blockOk = blockKiB == 1 || blockKiB == 2 || blockKiB == 3 || blockKiB == 4
                         || blockKiB == 8 || blockKiB == 16 || blockKiB == 32;
    if (h->headerSize == 0 || h->headerSize % 0x400 != 0 || (fileType != 0 && fileType != 2)
        || !blockOk || h->versionId < 3 || h->versionId > 12) {
        *why = "not a Paradox table (header bytes)";
        return false;
    }
    if (h->recordSize == 0 || h->recordSize > h->blockSize - kBlockHeaderSize) {
        *why = QString("record size %1 does not fit a block").arg(h->recordSize);
        return false;
    }
    if (h->numFields < 1 || h->numFields > 255 || h->numRecords < 0) {
        *why = "implausible field or record count in the header";
        return false;
    }
    return true;
}

struct Block
{
    qint64 offset;   // first record
    int records;
};

// Follows the block chain from the first block; every block must lie inside
// the file, be visited once and hold whole records that add up to the count.
bool walkBlocks(const QByteArray& b, const Header& h, std::vector<Block>* blocks, QString* why)
{
    const qint64 fileSize = b.size();
    const int fieldInfoAt = h.versionId >= 5 ? kFixedHeaderSize + kDataHeaderSize : kFixedHeaderSize;
    if (fileSize < h.headerSize || fieldInfoAt + 2 * h.numFields > h.headerSize) {
        *why = "truncated inside the header";
        return false;
    }
    quint32 encryption = le32(b, 37);
    if (encryption == 0xFF00FF00u && h.versionId >= 5)
        encryption = le32(b, kFixedHeaderSize + 4);
    if (encryption != 0) {
        *why = "encrypted table";
        return false;
    }
    if (h.headerSize + qint64(h.fileBlocks) * h.blockSize > fileSize) {
        *why = QString("truncated: %1 blocks announced, the file holds %2")
                   .arg(h.fileBlocks)
                   .arg((fileSize - h.headerSize) / h.blockSize);
        return false;
    }
    std::vector<bool> seen(h.fileBlocks + 1, false);
    qint64 total = 0;
    int n = h.firstBlock;
    while (n != 0) {
        if (n > h.fileBlocks || seen[n]) {
            *why = QString("bad block chain at block %1").arg(n);
            return false;
        }
        seen[n] = true;
        const qint64 at = h.headerSize + qint64(n - 1) * h.blockSize;
        const int lastOffset = les16(b, int(at) + 4);
        const int used = lastOffset + h.recordSize;
        if (used < 0 || used % h.recordSize != 0 || used > h.blockSize - kBlockHeaderSize) {
            *why = QString("bad block %1 (record area %2 bytes)").arg(n).arg(used);
            return false;
        }
        blocks->push_back({at + kBlockHeaderSize, used / h.recordSize});
        total += used / h.recordSize;
        n = le16(b, int(at));
    }
    if (total != h.numRecords) {
        *why = QString("the header counts %1 rows, the blocks hold %2").arg(h.numRecords).arg(total);
        return false;
    }
    return true;
}

struct Expected
{
    const char* name;
    int type;
    int minLength, maxLength;
    const char* typeName;
};

// The seven fields of the profile table, in their order.
constexpr Expected kLayout[kProfileFieldCount] = {
    {"fnDT", pxfTimestamp, 8, 8, "date-time"},
    {"fnDepth", pxfNumber, 8, 8, "number"},
    {"fnVelocity", pxfNumber, 8, 8, "number"},
    {"fnTemp", pxfNumber, 8, 8, "number"},
    {"fnStatus", pxfShort, 2, 2, "short integer"},
    {"fnDiscrip", pxfAlpha, 1, 255, "text"},
    {"fnFiltOk", pxfLogical, 1, 1, "logical"},
};

bool checkLayout(pxdoc_t* doc, int recordSize, QString* why)
{
    if (PX_get_num_fields(doc) != kProfileFieldCount) {
        *why = QString("%1 fields, the profile table has %2")
                   .arg(PX_get_num_fields(doc))
                   .arg(kProfileFieldCount);
        return false;
    }
    const pxfield_t* f = PX_get_fields(doc);
    int sum = 0;
    for (int i = 0; i < kProfileFieldCount; ++i) {
        const Expected& e = kLayout[i];
        const bool nameOk = f[i].px_fname && qstricmp(f[i].px_fname, e.name) == 0;
        if (!nameOk || f[i].px_ftype != e.type || f[i].px_flen < e.minLength
            || f[i].px_flen > e.maxLength) {
            *why = QString("field %1 is \"%2\" (type %3, %4 bytes), expected %5 (%6)")
                       .arg(i + 1)
                       .arg(QString::fromLatin1(f[i].px_fname ? f[i].px_fname : ""))
                       .arg(int(f[i].px_ftype))
                       .arg(f[i].px_flen)
                       .arg(e.name, e.typeName);
            return false;
        }
        sum += f[i].px_flen;
    }
    if (sum != recordSize) {
        *why = "the fields do not fill the record";
        return false;
    }
    return true;
}

// Paradox time stamps count milliseconds from 0001-01-01 as day 1.
constexpr qint64 kMsPerDay = 86400000;
constexpr qint64 kJulianDayOfDay0 = 1721425;   // 0000-12-31

bool toDateTime(double value, QDateTime* out)
{
    if (!std::isfinite(value) || value < kMsPerDay || value > 4.0e14)
        return false;
    const qint64 ms = std::llround(value);
    const QDate date = QDate::fromJulianDay(ms / kMsPerDay + kJulianDayOfDay0);
    const QTime time = QTime::fromMSecsSinceStartOfDay(int(ms % kMsPerDay));
    if (!date.isValid() || date.year() > 9999)
        return false;
    *out = QDateTime(date, time);
    return true;
}

struct PxErrors
{
    QString first;
};

void collectError(pxdoc_t*, int level, const char* msg, void* data)
{
    auto* errors = static_cast<PxErrors*>(data);
    if (level != PX_Warning && errors->first.isEmpty())
        errors->first = QString::fromLocal8Bit(msg ? msg : "pxlib error");
}

struct PxDoc
{
    pxdoc_t* doc = nullptr;
    FILE* stream = nullptr;
    ~PxDoc()
    {
        if (doc) {
            PX_close(doc);
            PX_delete(doc);
        }
        if (stream)
            std::fclose(stream);
    }
};

// One record; false with the reason for a value that cannot be a profile value.
bool decodeRow(pxdoc_t* doc, char* rec, const pxfield_t* f, ProfileRow* row, QString* why)
{
    char* p = rec;
    double d = 0;
    int r = PX_get_data_double(doc, p, 8, &d);
    if (r > 0) {
        QDateTime dt;
        if (!toDateTime(d, &dt)) {
            *why = "time stamp out of range";
            return false;
        }
        row->dt = dt;
    }
    p += f[0].px_flen;
    std::optional<double>* numbers[3] = {&row->depth, &row->velocity, &row->temp};
    for (int i = 0; i < 3; ++i) {
        if (PX_get_data_double(doc, p, 8, &d) > 0) {
            if (!std::isfinite(d)) {
                *why = QString("%1 is not a number").arg(kLayout[i + 1].name);
                return false;
            }
            *numbers[i] = d;
        }
        p += f[i + 1].px_flen;
    }
    short s = 0;
    if (PX_get_data_short(doc, p, 2, &s) > 0)
        row->status = s;
    p += f[4].px_flen;
    char* text = nullptr;
    r = PX_get_data_alpha(doc, p, f[5].px_flen, &text);
    if (r < 0) {
        *why = "unreadable description";
        return false;
    }
    if (r > 0 && text) {
        row->discrip = fromGbk(QByteArray(text, int(qstrnlen(text, uint(f[5].px_flen)))));
        doc->free(doc, text);
    }
    p += f[5].px_flen;
    char logical = 0;
    if (PX_get_data_byte(doc, p, 1, &logical) > 0)
        row->filtOk = logical != 0;
    return true;
}

}  // namespace

bool isLegacyProfileFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    Header h;
    QString why;
    return parseFixedHeader(file.read(kFixedHeaderSize), &h, &why);
}

bool readLegacyProfile(const QString& path, std::vector<ProfileRow>* rows, QString* error)
{
    rows->clear();
    auto fail = [&](const QString& why) {
        rows->clear();
        if (error)
            *error = why;
        return false;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    if (file.size() > std::numeric_limits<int>::max())
        return fail("too large for a profile table");
    QByteArray bytes = file.readAll();
    if (bytes.size() != file.size())
        return fail("read error");
    file.close();

    QString why;
    Header h;
    std::vector<Block> blocks;
    if (!parseFixedHeader(bytes, &h, &why) || !walkBlocks(bytes, h, &blocks, &why))
        return fail(why);

    PxErrors errors;
    PxDoc px;
    px.stream = fmemopen(bytes.data(), size_t(bytes.size()), "r");
    px.doc = PX_new3(collectError, nullptr, nullptr, nullptr, &errors);
    if (!px.stream || !px.doc)
        return fail("out of memory");
    if (PX_open_fp(px.doc, px.stream) < 0 || !errors.first.isEmpty())
        return fail(errors.first.isEmpty() ? QString("pxlib refused the header") : errors.first);
    if (!checkLayout(px.doc, h.recordSize, &why))
        return fail(why);
    if (PX_get_num_records(px.doc) != h.numRecords || PX_get_recordsize(px.doc) != h.recordSize)
        return fail("pxlib reads another header");

    const pxfield_t* fields = PX_get_fields(px.doc);
    rows->reserve(size_t(h.numRecords));
    for (const Block& block : blocks) {
        for (int i = 0; i < block.records; ++i) {
            ProfileRow row;
            char* rec = bytes.data() + block.offset + qint64(i) * h.recordSize;
            if (!decodeRow(px.doc, rec, fields, &row, &why))
                return fail(QString("row %1: %2").arg(rows->size() + 1).arg(why));
            rows->push_back(std::move(row));
        }
    }
    if (!errors.first.isEmpty())
        return fail(errors.first);
    return true;
}
