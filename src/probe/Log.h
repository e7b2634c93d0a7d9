#pragma once
#include <QLoggingCategory>

// The probe layer's log: commands sent, handshake attempts, session outcomes
// and timeouts. Debug output is off unless QT_LOGGING_RULES="sv.probe.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcProbe)
