#include "storage/Log.h"

Q_LOGGING_CATEGORY(lcStorage, "sv.storage", QtWarningMsg)
