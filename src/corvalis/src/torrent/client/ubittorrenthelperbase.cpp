#include "torrent/client/ubittorrenthelperbase.h"

#include "common/platform.h"
#include "sys/pathprober.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

namespace Torrent::Client {

UBitTorrentHelperBase::UBitTorrentHelperBase(const QString& appConfigDirPath, const QString& clientName)
    : ClientHelper(appConfigDirPath, clientName)
    , m_settingsFileName(QStringLiteral("settings.dat"))
    , m_settingsFolderName(clientName)
    , m_constClientName(clientName)
    , m_applicationsFolder(Platform::applicationsFolder())
    , m_bundlePath(m_applicationsFolder + QLatin1Char('/') + clientName + QStringLiteral(".app"))
    , m_executablePath(m_bundlePath + QStringLiteral("/Contents/MacOS/") + clientName)
{
}

bool UBitTorrentHelperBase::populateData()
{
    bool ok = false;
    const QString appData = Sys::PathProber().appDataPath(&ok);
    if (!ok || appData.isEmpty()) {
        setError(3, QStringLiteral("Unable to retrieve AppData environment variable"));
        return false;
    }
    if (!QFileInfo::exists(m_bundlePath)) {
        setError(6, QStringLiteral("Client exec file path \"%1\" does not exist").arg(m_bundlePath));
        return false;
    }
    m_appFilePath = m_bundlePath;
    m_appDirPath = m_applicationsFolder;
    m_configFileName = m_settingsFileName;
    m_configFilePath = appData + QDir::separator() + m_settingsFolderName + QDir::separator() + m_settingsFileName;
    if (!QFileInfo::exists(m_configFilePath)) {
        qWarning() << "Torrent client config file doesn't exist:" << m_configFilePath;
        setError(7, QStringLiteral("Client config file path \"%1\" does not exist").arg(m_configFilePath));
        return false;
    }
    m_clientName = m_constClientName;
    m_processName = m_executablePath;
    return true;
}

} // namespace Torrent::Client
