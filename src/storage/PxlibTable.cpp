#include "storage/PxlibTable.h"
#include "text/Gbk.h"
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <unordered_set>

extern "C" {
#include <paradox.h>   // has no C++ guard of its own
}

namespace {

// The seven fields of the profile table, in their order.
struct Expected
{
    const char* name;
    int type;
    int minLength, maxLength;
    const char* typeName;
};
constexpr Expected kLayout[kProfileFieldCount] = {
    {"fnDT", pxfTimestamp, 8, 8, "date-time"},
    {"fnDepth", pxfNumber, 8, 8, "number"},
    {"fnVelocity", pxfNumber, 8, 8, "number"},
    {"fnTemp", pxfNumber, 8, 8, "number"},
    {"fnStatus", pxfShort, 2, 2, "short integer"},
    {"fnDiscrip", pxfAlpha, 1, 255, "text"},
    {"fnFiltOk", pxfLogical, 1, 1, "logical"},
};

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

}  // namespace

// Every block pxlib allocates for one table; a block pxlib frees twice is
// freed once, and whatever it leaves is freed with the arena.
struct PxlibTable::Arena
{
    std::unordered_set<std::uintptr_t> blocks;
    QString firstError;
    pxdoc_t* doc = nullptr;
    FILE* stream = nullptr;

    ~Arena()
    {
        for (std::uintptr_t b : blocks)
            std::free(reinterpret_cast<void*>(b));
        if (stream)
            std::fclose(stream);
    }
};

namespace {

// The arena of a document being made (pxlib allocates the document itself
// before it knows its user data).
thread_local PxlibTable::Arena* t_newDocument = nullptr;

PxlibTable::Arena* arenaOf(pxdoc_t* p)
{
    return p ? static_cast<PxlibTable::Arena*>(p->errorhandler_user_data) : t_newDocument;
}

std::uintptr_t key(const void* block) { return reinterpret_cast<std::uintptr_t>(block); }

void* arenaMalloc(pxdoc_t* p, size_t size, const char*)
{
    void* b = std::malloc(size ? size : 1);
    if (b)
        arenaOf(p)->blocks.insert(key(b));
    return b;
}

void* arenaRealloc(pxdoc_t* p, void* mem, size_t size, const char*)
{
    auto* arena = arenaOf(p);
    const std::uintptr_t old = key(mem);
    if (mem && !arena->blocks.erase(old))
        return nullptr;   // not ours (already freed)
    void* b = std::realloc(mem, size ? size : 1);
    arena->blocks.insert(b ? key(b) : old);   // a failed realloc leaves the old block
    return b;
}

void arenaFree(pxdoc_t* p, void* mem)
{
    auto* arena = arenaOf(p);
    if (mem && arena->blocks.erase(key(mem)))
        std::free(mem);
}

void collectError(pxdoc_t*, int level, const char* msg, void* data)
{
    auto* arena = static_cast<PxlibTable::Arena*>(data);
    if (level != PX_Warning && arena->firstError.isEmpty())
        arena->firstError = QString::fromLocal8Bit(msg ? msg : "pxlib error");
}

}  // namespace

PxlibTable::PxlibTable(QByteArray& bytes) : m_arena(std::make_unique<Arena>()), m_bytes(bytes) {}

PxlibTable::~PxlibTable()
{
    // pxlib's clean-up only after a good open; the arena frees the rest.
    if (m_opened) {
        PX_close(m_arena->doc);
        PX_delete(m_arena->doc);
    }
}

Status PxlibTable::open()
{
    m_arena->stream = fmemopen(m_bytes.data(), size_t(m_bytes.size()), "r");
    t_newDocument = m_arena.get();
    m_arena->doc = PX_new3(collectError, arenaMalloc, arenaRealloc, arenaFree, m_arena.get());
    t_newDocument = nullptr;
    if (!m_arena->stream || !m_arena->doc)
        return Status::failure(QStringLiteral("out of memory"));
    if (PX_open_fp(m_arena->doc, m_arena->stream) < 0)
        return Status::failure(m_arena->firstError.isEmpty() ? QStringLiteral("pxlib cannot read the header")
                                                             : "pxlib: " + m_arena->firstError);
    m_opened = true;
    if (!m_arena->firstError.isEmpty())
        return Status::failure("pxlib: " + m_arena->firstError);
    return Status();
}

Status PxlibTable::errors() const
{
    return m_arena->firstError.isEmpty() ? Status() : Status::failure("pxlib: " + m_arena->firstError);
}

int PxlibTable::recordCount() const { return PX_get_num_records(m_arena->doc); }

int PxlibTable::recordSize() const { return PX_get_recordsize(m_arena->doc); }

Status PxlibTable::checkLayout() const
{
    pxdoc_t* doc = m_arena->doc;
    if (PX_get_num_fields(doc) != kProfileFieldCount)
        return Status::failure(QString("%1 fields, the profile table has %2")
                                   .arg(PX_get_num_fields(doc))
                                   .arg(kProfileFieldCount));
    const pxfield_t* f = PX_get_fields(doc);
    int sum = 0;
    for (int i = 0; i < kProfileFieldCount; ++i) {
        const Expected& e = kLayout[i];
        const bool nameOk = f[i].px_fname && qstricmp(f[i].px_fname, e.name) == 0;
        if (!nameOk || f[i].px_ftype != e.type || f[i].px_flen < e.minLength || f[i].px_flen > e.maxLength)
            return Status::failure(QString("field %1 is \"%2\" (type %3, %4 bytes), expected %5 (%6)")
                                       .arg(i + 1)
                                       .arg(QString::fromLatin1(f[i].px_fname ? f[i].px_fname : ""))
                                       .arg(int(f[i].px_ftype))
                                       .arg(f[i].px_flen)
                                       .arg(e.name, e.typeName));
        sum += f[i].px_flen;
    }
    if (sum != recordSize())
        return Status::failure(QStringLiteral("the fields do not fill the record"));
    return Status();
}

Status PxlibTable::decodeRow(char* rec, ProfileRow* row) const
{
    pxdoc_t* doc = m_arena->doc;
    const pxfield_t* f = PX_get_fields(doc);
    char* p = rec;
    double d = 0;
    if (PX_get_data_double(doc, p, 8, &d) > 0) {
        QDateTime dt;
        if (!toDateTime(d, &dt))
            return Status::failure(QStringLiteral("time stamp out of range"));
        row->dt = dt;
    }
    p += f[0].px_flen;
    std::optional<double>* numbers[3] = {&row->depth, &row->velocity, &row->temp};
    for (int i = 0; i < 3; ++i) {
        if (PX_get_data_double(doc, p, 8, &d) > 0) {
            if (!std::isfinite(d))
                return Status::failure(QString("%1 is not a number").arg(kLayout[i + 1].name));
            *numbers[i] = d;
        }
        p += f[i + 1].px_flen;
    }
    short s = 0;
    if (PX_get_data_short(doc, p, 2, &s) > 0)
        row->status = s;
    p += f[4].px_flen;
    // A text field holds its code page 936 bytes as they are, padded with NULs
    // (what PX_get_data_alpha copies out when no encoding is set, without a
    // heap copy per row); an empty field starts with a NUL.
    if (const int length = int(qstrnlen(p, uint(f[5].px_flen))); length > 0)
        row->discrip = fromGbk(QByteArray(p, length));
    p += f[5].px_flen;
    char logical = 0;
    if (PX_get_data_byte(doc, p, 1, &logical) > 0)
        row->filtOk = logical != 0;
    return Status();
}
