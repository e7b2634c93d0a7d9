#pragma once
#include <QLoggingCategory>

// "sv.storage": opens, refusals with their reason, failed commits. Debug and
// info are off unless QT_LOGGING_RULES="sv.storage.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcStorage)
