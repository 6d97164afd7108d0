#include "torrent/client/utorrenthelper.h"

#include "sys/pathprober.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Torrent::Client {

UTorrentHelper::UTorrentHelper(const QString& appConfigDirPath, const QString& initialConfigFilePath)
    : UBitTorrentHelperBase(appConfigDirPath, QStringLiteral("uTorrent"))
    , m_initialConfigFilePath(initialConfigFilePath)
{
    if (m_initialConfigFilePath.isEmpty()) {
        const QString above = QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/..")).absoluteFilePath();
        m_initialConfigFilePath = QDir::cleanPath(above) + QStringLiteral("/SharedSupport/")
            + QStringLiteral("utorrentconfig/") + m_settingsFileName;
    }
}

bool UTorrentHelper::checkConfigFile()
{
    const QString folder = Sys::PathProber().appDataPath() + QStringLiteral("/uTorrent");
    const QString settings = folder + QLatin1Char('/') + m_settingsFileName;
    if (QFileInfo::exists(settings))
        return true;
    if (!QFileInfo::exists(m_initialConfigFilePath)) {
        qWarning() << "Unable to locate inner initial config file for uTorrent";
        return false;
    }
    if (!QDir().mkpath(folder) || !QFile::copy(m_initialConfigFilePath, settings)) {
        qWarning() << "Unable to copy inner initial config file for uTorrent";
        return false;
    }
    return true;
}

} // namespace Torrent::Client
