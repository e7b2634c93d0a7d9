#pragma once
#include "model/ProfileRow.h"
#include "model/Status.h"
#include <QByteArray>
#include <memory>

// pxlib's reading of an old Paradox table held in memory, through a read-only
// memory stream. Every allocation pxlib makes for it is kept in an arena of
// this object and released with it; pxlib's own clean-up runs only after a
// successful open (after a failed PX_open_fp, PX_delete frees memory twice).
class PxlibTable
{
public:
    explicit PxlibTable(QByteArray& bytes);   // `bytes` outlive this object
    ~PxlibTable();
    PxlibTable(const PxlibTable&) = delete;
    PxlibTable& operator=(const PxlibTable&) = delete;

    // pxlib reads the header; the reason when it cannot.
    Status open();
    int recordCount() const;
    int recordSize() const;
    // The seven profile fields, in their order, filling the record; the reason otherwise.
    Status checkLayout() const;
    // One record at `rec` (recordSize() bytes); the reason for a value that
    // cannot be a profile value.
    Status decodeRow(char* rec, ProfileRow* row) const;
    // The first error pxlib reported since open, if any.
    Status errors() const;

    struct Arena;   // pxlib's allocations for this table

private:
    std::unique_ptr<Arena> m_arena;
    QByteArray& m_bytes;
    bool m_opened = false;
};
