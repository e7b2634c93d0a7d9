#include "text/LocalTime.h"
#include <QByteArray>
#include <QtGlobal>
#include <ctime>

void fmt::pinLocalTimeZone()
{
#ifdef Q_OS_LINUX
    if (qEnvironmentVariableIsSet("TZ"))
        return;
    qputenv("TZ", QByteArray(":/etc/localtime"));
    tzset();
#endif
}
