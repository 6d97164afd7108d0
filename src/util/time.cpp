#include "util/time.h"

#include <QObject>

namespace Util {

QString Time::formatTime(std::time_t seconds)
{
    std::tm parts{};
    if (!gmtime_r(&seconds, &parts))
        return QObject::tr("%n sec", nullptr, 0);

    QString text;
    if (parts.tm_yday > 0)
        text += QObject::tr("%n days", nullptr, parts.tm_yday);
    if (!text.isEmpty())
        text += QLatin1Char(' ');
    if (parts.tm_hour > 0)
        text += QObject::tr("%n hours", nullptr, parts.tm_hour);
    if (!text.isEmpty())
        text += QLatin1Char(' ');
    if (parts.tm_min > 0)
        text += QObject::tr("%n min", nullptr, parts.tm_min);
    if (!text.isEmpty())
        text += QLatin1Char(' ');
    if (text.isEmpty() || parts.tm_sec > 0)
        text += QObject::tr("%n sec", nullptr, parts.tm_sec);
    return text.simplified();
}

} // namespace Util
