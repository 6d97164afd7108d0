#include "sys/osprober.h"

namespace Sys {

QString OsProber::macintoshName(int versionCode)
{
    switch (versionCode) {
    case 1: return QStringLiteral("Mac OS 9");
    case 2: return QStringLiteral("Mac OS X 10.0");
    case 3: return QStringLiteral("Mac OS X 10.1");
    case 4: return QStringLiteral("Mac OS X 10.2");
    case 5: return QStringLiteral("Mac OS X 10.3");
    case 6: return QStringLiteral("Mac OS X 10.4");
    case 7: return QStringLiteral("Mac OS X 10.5");
    case 8: return QStringLiteral("Mac OS X 10.6");
    case 9: return QStringLiteral("Mac OS X 10.7");
    default: return QStringLiteral("Mac OS X 10");
    }
}

} // namespace Sys
