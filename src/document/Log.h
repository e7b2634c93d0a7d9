#pragma once
#include <QLoggingCategory>

// The document layer's messages: opening, drawing, saving and converting the
// open profile. Debug and info are off unless QT_LOGGING_RULES="sv.document.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcDocument)
