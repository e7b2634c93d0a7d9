#include "storage/ProfileStore.h"
#include "storage/AtomicFile.h"
#include "storage/FieldValues.h"
#include "storage/LegacyProfile.h"
#include "storage/Log.h"
#include "storage/ProfileDatabase.h"
#include <QDir>
#include <QFileInfo>
#include <QCoreApplication>

namespace {

// Saved files carry a status and a date on their first row only.
bool hasSavedShape(const std::vector<ProfileRow>& rows)
{
    const int kind = rows.front().status.value_or(-1);
    if (kind != kKindAverage && kind != kKindMerged)
        return false;
    for (size_t i = 1; i < rows.size(); ++i)
        if (rows[i].status || rows[i].dt)
            return false;
    return true;
}

}  // namespace

Result<StoredProfile> readProfile(const QString& path)
{
    StoredProfile p;
    if (isLegacyProfileFile(path)) {
        QString why;
        p.legacy = true;
        if (!readLegacyProfile(path, &p.rows, &why)) {
            qCInfo(lcStorage) << "refused" << path << why;
            return Status::failure(why);
        }
        return p;
    }
    Result<std::vector<StoredRow>> stored = ProfileDatabase::read(path);
    if (!stored) {
        qCInfo(lcStorage) << "refused" << path << stored.message();
        return stored.status();
    }
    p.rows.reserve(stored->size());
    for (StoredRow& s : stored.value())
        p.rows.push_back(std::move(s.row));
    return p;
}

bool isProfileFile(const QString& path, QString* why)
{
    const Status s = checkProfileHeader(path);
    if (!s && why)
        *why = s.message();
    return s.ok();
}

bool mayOverwrite(const QString& path, QString* reason)
{
    if (!QFileInfo::exists(path))
        return true;
    // Old Paradox files are the surveyor's archive: they are only read.
    if (isLegacyProfileFile(path)) {
        if (reason)
            *reason = QDir::toNativeSeparators(path) + QCoreApplication::translate("Storage", " 是旧格式数据文件，不能被覆盖!");
        return false;
    }
    const Result<StoredProfile> read = readProfile(path);
    if (!read) {
        // A profile file that cannot be read now is held by a program, perhaps
        // one recording into it: never replace it.
        if (isProfileFile(path)) {
            if (reason)
                *reason = QDir::toNativeSeparators(path) + QCoreApplication::translate("Storage", " 正在使用，不能被覆盖!");
            return false;
        }
        return true;
    }
    if (read->rows.empty() || hasSavedShape(read->rows))
        return true;
    if (reason)
        *reason = QDir::toNativeSeparators(path) + QCoreApplication::translate("Storage", " 是原始数据，不能被覆盖!");
    return false;
}

Status writeProfile(const QString& path, const std::vector<ProfileRow>& rows)
{
    // Every row is checked as a post checks it before anything is written.
    const FieldCaptions captions = defaultFieldCaptions();
    std::vector<StoredRow> stored;
    stored.reserve(rows.size());
    for (const ProfileRow& r : rows) {
        Result<ProfileRow> row = storableRow(r, captions);
        if (!row)
            return row.status();
        if (Status s = checkRequired(r, captions); !s)
            return s;
        stored.push_back(StoredRow{0, double(stored.size() + 1), std::move(row).value()});
    }
    if (Status s = ProfileDatabase::build(path, stored); !s)
        return Status::failure(writeFailureMessage(path, s.message()));
    return Status();
}
