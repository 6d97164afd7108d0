#include "torrent/client/vuzehelper.h"

#include "common/platform.h"
#include "sys/pathprober.h"

#include <QFileInfo>

namespace Torrent::Client {

namespace {

const QString ClientName = QStringLiteral("Vuze");
const QString SettingsFileName = QStringLiteral("azureus.config");
const QString ExecutableName = QStringLiteral("JavaApplicationStub");

} // namespace

VuzeHelper::VuzeHelper(const QString& appConfigDirPath)
    : ClientHelper(appConfigDirPath, ClientName)
{
}

bool VuzeHelper::populateData()
{
    bool ok = false;
    const QString appData = Sys::PathProber().appDataPath(&ok);
    if (!ok || appData.isEmpty()) {
        setError(3, QStringLiteral("Unable to retrieve AppData environment variable"));
        return false;
    }
    const QString applications = Platform::applicationsFolder();
    const QString bundle = applications + QStringLiteral("/") + ClientName + QStringLiteral(".app");
    if (!QFileInfo::exists(bundle)) {
        setError(6, QStringLiteral("Client exec file path \"%1\" does not exist").arg(bundle));
        return false;
    }
    m_appFilePath = bundle;
    m_appDirPath = applications;
    m_configFileName = SettingsFileName;
    m_configFilePath = appData + QStringLiteral("/") + ClientName + QStringLiteral("/") + SettingsFileName;
    if (!QFileInfo::exists(m_configFilePath)) {
        setError(7, QStringLiteral("Client config file path \"%1\" does not exist").arg(m_configFilePath));
        return false;
    }
    m_clientName = ClientName;
    m_processName = bundle + QStringLiteral("/Contents/MacOS/") + ExecutableName;
    return true;
}

} // namespace Torrent::Client
