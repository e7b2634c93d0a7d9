#include "probe/Log.h"

Q_LOGGING_CATEGORY(lcProbe, "sv.probe", QtWarningMsg)
