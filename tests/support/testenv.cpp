#include "support/testenv.h"

#include <QDir>
#include <QFile>

namespace TestSupport {

TempHome::TempHome()
{
    if (!m_dir.isValid())
        return;
    QDir().mkpath(dataHome());
    QDir().mkpath(configHome());
    QDir().mkpath(stateHome());
    QDir().mkpath(runtimeDir());
    // Qt insists that the runtime folder is private.
    QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    setVariable("HOME", path());
    setVariable("XDG_DATA_HOME", dataHome());
    setVariable("XDG_CONFIG_HOME", configHome());
    setVariable("XDG_STATE_HOME", stateHome());
    setVariable("XDG_RUNTIME_DIR", runtimeDir());
}

TempHome::~TempHome()
{
    for (auto it = m_saved.cbegin(); it != m_saved.cend(); ++it)
        qputenv(it.key().constData(), it.value());
    for (const QByteArray& name : m_unset)
        qunsetenv(name.constData());
}

void TempHome::setVariable(const char* name, const QString& value)
{
    if (qEnvironmentVariableIsSet(name))
        m_saved.insert(name, qgetenv(name));
    else
        m_unset << name;
    qputenv(name, value.toLocal8Bit());
}

} // namespace TestSupport
