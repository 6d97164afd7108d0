#include "sys/pathprober.h"

#include <QDir>
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
    // The XDG state folder (~/.local/state) is where a desktop program keeps its logs.
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state)) {
        const QString home = QDir::homePath();
        state = home.isEmpty() ? QString() : home + QStringLiteral("/.local/state");
    }
    if (ok)
        *ok = !state.isEmpty();
    return state.isEmpty() ? QString() : QDir(state).absolutePath();
}

} // namespace Sys
