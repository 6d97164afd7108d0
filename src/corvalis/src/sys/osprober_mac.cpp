#include "sys/osprober.h"

#include <QOperatingSystemVersion>

namespace Sys {

QString OsProber::osName() const
{
    // Toolkit codes: 10.x maps to code x + 2 (10.0 -> 2 ... 10.7 -> 9).
    const QOperatingSystemVersion version = QOperatingSystemVersion::current();
    const int code = version.majorVersion() == 10 ? version.minorVersion() + 2 : -1;
    return macintoshName(code);
}

} // namespace Sys
