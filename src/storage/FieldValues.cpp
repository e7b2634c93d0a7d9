#include "storage/FieldValues.h"
#include <cmath>
#include <QCoreApplication>

namespace {

constexpr int kDiscripMax = 255;
const char* const kDateFormat = "yyyy-MM-dd HH:mm:ss.zzz";

Status badValue(ProfileField f, const QVariant& v, const FieldCaptions& captions)
{
    return Status::failure(QCoreApplication::translate("Storage", "“%1”不是字段 %2 的有效值。").arg(v.toString(), captions[size_t(f)]));
}

bool isText(const QVariant& v) { return v.typeId() == QMetaType::QString; }

bool toReal(const QVariant& v, double* d)
{
    bool ok = false;
    *d = isText(v) ? v.toString().trimmed().toDouble(&ok) : v.toDouble(&ok);
    return ok && std::isfinite(*d);
}

void clearField(ProfileRow& r, ProfileField f)
{
    switch (f) {
    case ProfileField::DT: r.dt.reset(); break;
    case ProfileField::Depth: r.depth.reset(); break;
    case ProfileField::Velocity: r.velocity.reset(); break;
    case ProfileField::Temp: r.temp.reset(); break;
    case ProfileField::Status: r.status.reset(); break;
    case ProfileField::Discrip: r.discrip.reset(); break;
    case ProfileField::FiltOk: r.filtOk.reset(); break;
    }
}

}  // namespace

FieldCaptions defaultFieldCaptions()
{
    return {QCoreApplication::translate("Storage", "时间"), QCoreApplication::translate("Storage", "深度"), QCoreApplication::translate("Storage", "声速"), QCoreApplication::translate("Storage", "温度"),
            QCoreApplication::translate("Storage", "状态"), QCoreApplication::translate("Storage", "备注"), QCoreApplication::translate("Storage", "过滤")};
}

QVariant fieldValue(const ProfileRow& r, ProfileField f)
{
    switch (f) {
    case ProfileField::DT: return r.dt ? QVariant(*r.dt) : QVariant();
    case ProfileField::Depth: return r.depth ? QVariant(*r.depth) : QVariant();
    case ProfileField::Velocity: return r.velocity ? QVariant(*r.velocity) : QVariant();
    case ProfileField::Temp: return r.temp ? QVariant(*r.temp) : QVariant();
    case ProfileField::Status: return r.status ? QVariant(*r.status) : QVariant();
    case ProfileField::Discrip: return r.discrip ? QVariant(*r.discrip) : QVariant();
    case ProfileField::FiltOk: return r.filtOk ? QVariant(*r.filtOk) : QVariant();
    }
    return {};
}

Status assignField(ProfileRow& r, ProfileField f, const QVariant& v, const FieldCaptions& captions)
{
    if (v.isNull() || (isText(v) && v.toString().isEmpty())) {
        clearField(r, f);
        return Status();
    }
    double d = 0;
    switch (f) {
    case ProfileField::DT: {
        const QString text = v.toString().trimmed();
        QDateTime dt = isText(v) ? QDateTime::fromString(text, QString::fromLatin1(kDateFormat)) : v.toDateTime();
        if (!dt.isValid() && isText(v))
            dt = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!dt.isValid())
            return badValue(f, v, captions);
        r.dt = dt;
        return Status();
    }
    case ProfileField::Depth:
    case ProfileField::Velocity:
    case ProfileField::Temp:
        if (!toReal(v, &d))
            return badValue(f, v, captions);
        (f == ProfileField::Depth ? r.depth : f == ProfileField::Velocity ? r.velocity : r.temp) = d;
        return Status();
    case ProfileField::Status: {
        bool ok = false;
        const qlonglong n = isText(v) ? v.toString().trimmed().toLongLong(&ok) : v.toLongLong(&ok);
        if (!ok || n < -32768 || n > 32767)
            return badValue(f, v, captions);
        r.status = int(n);
        return Status();
    }
    case ProfileField::Discrip: r.discrip = v.toString().left(kDiscripMax); return Status();
    case ProfileField::FiltOk: {
        if (v.typeId() == QMetaType::Bool) {
            r.filtOk = v.toBool();
            return Status();
        }
        const QString t = v.toString().trimmed().toLower();
        if (t == "1" || t == "true")
            r.filtOk = true;
        else if (t == "0" || t == "false")
            r.filtOk = false;
        else
            return badValue(f, v, captions);
        return Status();
    }
    }
    return Status();
}

Status checkRequired(const ProfileRow& r, const FieldCaptions& captions)
{
    for (ProfileField f : {ProfileField::Depth, ProfileField::Velocity, ProfileField::Temp})
        if (!fieldValue(r, f).isValid())
            return Status::failure(QCoreApplication::translate("Storage", "字段 %1 必须有值！").arg(captions[size_t(f)]));
    return Status();
}

Result<ProfileRow> storableRow(const ProfileRow& r, const FieldCaptions& captions)
{
    if (r.status && (*r.status < -32768 || *r.status > 32767))
        return badValue(ProfileField::Status, *r.status, captions);
    ProfileRow copy = r;
    // No date and no text are empty fields, as assignField makes them.
    if (copy.dt && !copy.dt->isValid())
        copy.dt.reset();
    if (copy.discrip && copy.discrip->isEmpty())
        copy.discrip.reset();
    if (copy.discrip)
        copy.discrip = copy.discrip->left(kDiscripMax);
    for (const auto* d : {&copy.depth, &copy.velocity, &copy.temp})
        if (*d && !std::isfinite(**d))
            return Status::failure(QCoreApplication::translate("Storage", "数值无效。"));
    return copy;
}
