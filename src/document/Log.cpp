#include "document/Log.h"

Q_LOGGING_CATEGORY(lcDocument, "sv.document", QtWarningMsg)
