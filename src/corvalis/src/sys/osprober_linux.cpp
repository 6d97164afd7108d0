#include "sys/osprober.h"

#include <QSysInfo>

namespace Sys {

QString OsProber::osName() const
{
    // The distribution's pretty name, e.g. "Debian GNU/Linux 12 (bookworm)".
    return QSysInfo::prettyProductName();
}

} // namespace Sys
