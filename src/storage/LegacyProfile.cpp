#include "storage/LegacyProfile.h"
#include "storage/PxlibTable.h"
#include <QFile>
#include <limits>

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
    // Tables written at an older level have headers that are no whole number
    // of KiB: the header size is taken as it stands when the rest fits.
    if ((fileType != 0 && fileType != 2) || !blockOk || h->versionId < 3 || h->versionId > 12) {
        *why = QString("not a Paradox table (file type %1, block size %2 KiB, version %3)")
                   .arg(fileType)
                   .arg(blockKiB)
                   .arg(h->versionId);
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
    const int fieldInfoAt = h->versionId >= 5 ? kFixedHeaderSize + kDataHeaderSize : kFixedHeaderSize;
    if (fieldInfoAt + 2 * h->numFields > h->headerSize) {
        *why = QString("header of %1 bytes cannot hold %2 fields").arg(h->headerSize).arg(h->numFields);
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
    if (fileSize < h.headerSize) {
        *why = QString("truncated inside the header (%1 of %2 bytes)").arg(fileSize).arg(h.headerSize);
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

    PxlibTable px(bytes);
    if (Status s = px.open(); !s)
        return fail(s.message());
    if (Status s = px.checkLayout(); !s)
        return fail(s.message());
    if (px.recordCount() != h.numRecords || px.recordSize() != h.recordSize)
        return fail("pxlib reads another header");

    rows->reserve(size_t(h.numRecords));
    for (const Block& block : blocks) {
        for (int i = 0; i < block.records; ++i) {
            ProfileRow row;
            char* rec = bytes.data() + block.offset + qint64(i) * h.recordSize;
            if (Status s = px.decodeRow(rec, &row); !s)
                return fail(QString("row %1: %2").arg(rows->size() + 1).arg(s.message()));
            rows->push_back(std::move(row));
        }
    }
    if (Status s = px.errors(); !s)
        return fail(s.message());
    return true;
}
