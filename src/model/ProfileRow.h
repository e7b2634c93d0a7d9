#pragma once
#include <QDateTime>
#include <QString>
#include <optional>

// One row of the profile table: the seven fields in their order. An empty field
// is std::nullopt (inserted rows, the later rows of uploaded and saved files).
struct ProfileRow
{
    std::optional<QDateTime> dt;      // fnDT
    std::optional<double> depth;      // fnDepth, m (required)
    std::optional<double> velocity;   // fnVelocity, m/s (required)
    std::optional<double> temp;       // fnTemp, degC (required)
    std::optional<int> status;        // fnStatus, 16-bit signed; status byte or kind code
    std::optional<QString> discrip;   // fnDiscrip, at most 255 characters
    std::optional<bool> filtOk;       // fnFiltOk, depth-layer mark

    bool operator==(const ProfileRow&) const = default;
};

enum class ProfileField { DT = 0, Depth, Velocity, Temp, Status, Discrip, FiltOk };
constexpr int kProfileFieldCount = 7;
const char* profileFieldName(ProfileField f);   // "fnDT", "fnDepth", ...

// Kind codes of the first row's fnStatus (low 8 bits).
constexpr int kKindAverage = 64;
constexpr int kKindMerged = 128;

// fnDiscrip of a sample the probe took with its battery low (status bit 0).
inline const QString kLowBatteryText = QStringLiteral("低电");
