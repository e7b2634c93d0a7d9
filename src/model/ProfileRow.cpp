#include "model/ProfileRow.h"

const char* profileFieldName(ProfileField f)
{
    switch (f) {
    case ProfileField::DT: return "fnDT";
    case ProfileField::Depth: return "fnDepth";
    case ProfileField::Velocity: return "fnVelocity";
    case ProfileField::Temp: return "fnTemp";
    case ProfileField::Status: return "fnStatus";
    case ProfileField::Discrip: return "fnDiscrip";
    case ProfileField::FiltOk: return "fnFiltOk";
    }
    return "";
}
