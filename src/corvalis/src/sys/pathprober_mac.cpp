#include "sys/pathprober.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace Sys {

QString PathProber::appDataPath(bool* ok) const
{
    if (ok)
        *ok = true;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString PathProber::programDataPath(bool* ok) const
{
    // ~/Library/Application Support -> ~/Library/Logs
    const QString parent = QFileInfo(appDataPath()).absolutePath();
    if (ok)
        *ok = !parent.isEmpty();
    return parent.isEmpty() ? QString() : parent + QStringLiteral("/Logs");
}

} // namespace Sys
