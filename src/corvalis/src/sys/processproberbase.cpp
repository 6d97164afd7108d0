#include "sys/processproberbase.h"

namespace Sys {

bool ProcessProberBase::terminateByName(const QString& name)
{
    const int pid = pidByName(name);
    if (pid < 0) {
        setError(4, QStringLiteral("Unable to find process by name \"%1\"").arg(name));
        return false;
    }
    return terminateByPid(pid);
}

int ProcessProberBase::pidByName(const QString& name) const
{
    for (auto it = m_processes.cbegin(); it != m_processes.cend(); ++it) {
        if (it.value() == name)
            return it.key();
    }
    return -1;
}

void ProcessProberBase::setError(int code, const QString& message)
{
    m_error = code;
    m_errorString = message;
}

} // namespace Sys
