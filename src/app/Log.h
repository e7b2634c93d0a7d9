#pragma once
#include <QLoggingCategory>

// The window's messages: the live path's pace (frames taken a second, the
// longest timer tick, the longest time the event loop was kept from the
// user's input) and the stop. Debug is off unless QT_LOGGING_RULES="sv.app.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcApp)
